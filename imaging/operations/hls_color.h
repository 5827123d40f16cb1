// Integer hue, lightness and saturation on a 0..255 scale, shared by the
// colour balance and hue/saturation adjustments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct HlsColor {
    int hue;        // 0..255; 170 for greys
    int lightness;  // 0..255
    int saturation; // 0..255; 0 for greys
};

struct RgbColor {
    int red;
    int green;
    int blue;
};

// Integer conversion; channels must be 0..255.
HlsColor RgbToHls(int red, int green, int blue);

// Double-precision conversion back; each channel is the value times 255,
// truncated, and always lies in 0..255 for inputs in 0..255.
RgbColor HlsToRgb(int hue, int lightness, int saturation);

// (max + min) / 2 of the three channels, truncated.
int RgbLightness(int red, int green, int blue);

// The arithmetic of HlsToRgb, shared with its inlined form so that both give
// the same bits.
namespace hls_detail {

inline constexpr double kInv42_5 = 0.023529411764705882;

// The rising part of a channel at hue offset x (0..42.5).
inline double Ramp(double m1, double m2, double x) {
    return m1 + (m2 - m1) * x * kInv42_5;
}

inline double HueValue(double m1, double m2, double x) {
    if (x > 255)
        x -= 255;
    else if (x < 0)
        x += 255;
    if (x < 42.5)
        return Ramp(m1, m2, x);
    if (x < 127.5)
        return m2;
    if (x < 170)
        return Ramp(m1, m2, 170 - x);
    return m1;
}

// The two levels every channel lies between, on a 0..1 scale.
inline void Means(int lightness, int saturation, double* m1, double* m2) {
    const double l = lightness;
    const double s = saturation;
    if (lightness < 128)
        *m2 = l * (s + 255) * 0.000015378700499807768;
    else
        *m2 = (l + s - l * s * (1.0 / 255)) * (1.0 / 255);
    *m1 = l * 0.00784313725490196 - *m2;
}

inline int ToChannel(double v) {
    const int c = static_cast<int>(v * 255);
    return c < 0 ? 0 : (c > 255 ? 255 : c);
}

} // namespace hls_detail

// Whole-image forms of the two conversions: the very integers RgbToHls and
// HlsToRgb give, through tables instead of divisions and double arithmetic
// per pixel.
class CHlsTables {
public:
    // Built once per process (about 200 KB).
    static const CHlsTables& Get();

    // RgbToHls(red, green, blue).
    HlsColor ToHls(int red, int green, int blue) const {
        const int maxc = red > green ? (red > blue ? red : blue) : (green > blue ? green : blue);
        const int minc = red < green ? (red < blue ? red : blue) : (green < blue ? green : blue);
        const int d = maxc - minc;
        HlsColor out;
        out.lightness = lightnessOfSum_[maxc + minc];
        if (d == 0) {
            out.hue = 170;
            out.saturation = 0;
            return out;
        }
        out.saturation = saturation_[maxc + minc][d];
        const uint8_t* step = hueStep_[d];
        int h;
        if (red == maxc)
            h = step[maxc - blue] - step[maxc - green];
        else if (green == maxc)
            h = 85 + step[maxc - red] - step[maxc - blue];
        else
            h = 170 + step[maxc - green] - step[maxc - red];
        out.hue = h < 0 ? h + 255 : h; // never above 212
        return out;
    }

private:
    CHlsTables();

    uint8_t lightnessOfSum_[511];
    uint8_t saturation_[511][256]; // [max + min][max - min]
    uint8_t hueStep_[256][256];    // [max - min][max - channel]
};

// HlsToRgb inlined for whole images, with its per-channel branches turned
// into table lookups and selects.
class CHlsToBgr {
public:
    static const CHlsToBgr& Get();

    // HlsToRgb(hue, lightness, saturation) as blue, green, red bytes.
    void ToBgr(int hue, int lightness, int saturation, uint8_t* out) const {
        if (saturation == 0) {
            out[0] = out[1] = out[2] = static_cast<uint8_t>(lightness);
            return;
        }
        double m1, m2;
        hls_detail::Means(lightness, saturation, &m1, &m2);
        const int low = hls_detail::ToChannel(m1);
        const int high = hls_detail::ToChannel(m2);
        out[0] = Channel(blueSlot_[hue], m1, m2, low, high);
        out[1] = Channel(greenSlot_[hue], m1, m2, low, high);
        out[2] = Channel(redSlot_[hue], m1, m2, low, high);
    }

private:
    CHlsToBgr();

    // Slots 0..42: the rising ramp at that hue offset.
    static constexpr int kPlateau = 43;
    static constexpr int kFloor = 44;

    static uint8_t Channel(int slot, double m1, double m2, int low, int high) {
        const int ramp = hls_detail::ToChannel(hls_detail::Ramp(m1, m2, slot));
        return static_cast<uint8_t>(slot < kPlateau ? ramp : slot == kPlateau ? high : low);
    }

    uint8_t redSlot_[256];
    uint8_t greenSlot_[256];
    uint8_t blueSlot_[256];
};
