#include "imaging/operations/channel_lookup.h"

#include <atomic>
#include <cstring>

#include "imaging/operations/wide_lookup.h"

namespace {

std::atomic<bool> wideAllowed{true};

bool IsIdentity(const uint8_t table[256]) {
    for (int i = 0; i < 256; ++i)
        if (table[i] != i)
            return false;
    return true;
}

bool IsInversion(const uint8_t table[256]) {
    for (int i = 0; i < 256; ++i)
        if (table[i] != 255 - i)
            return false;
    return true;
}

} // namespace

void CChannelLookup::Prepare(const uint8_t blue[256], const uint8_t green[256],
                             const uint8_t red[256], int bitsPerPixel) {
    bytesPerPixel_ = bitsPerPixel == 32 ? 4 : 3;
    std::memcpy(blue_, blue, 256);
    std::memcpy(green_, green, 256);
    std::memcpy(red_, red, 256);
    const bool shared = std::memcmp(blue, green, 256) == 0 && std::memcmp(blue, red, 256) == 0;
    shared_ = shared;
    wide_ = WidePathEnabled();
    if (shared && IsIdentity(blue))
        method_ = Method::kCopy;
    else if (shared && IsInversion(blue))
        method_ = Method::kInvert;
    else
        method_ = Method::kByteTables;
}

void CChannelLookup::AllowWidePath(bool allowed) {
    wideAllowed.store(allowed, std::memory_order_relaxed);
}

bool CChannelLookup::WidePathEnabled() {
    return wideAllowed.load(std::memory_order_relaxed) && WideLookupSupported();
}

void CChannelLookup::MapRow(uint8_t* dest, const uint8_t* src, int width) const {
    if (width <= 0)
        return;
    switch (method_) {
    case Method::kCopy:
        std::memcpy(dest, src, static_cast<size_t>(width) * static_cast<size_t>(bytesPerPixel_));
        break;
    case Method::kInvert:
        InvertRow(dest, src, width);
        break;
    case Method::kByteTables:
        MapRowBytes(dest, src, width);
        break;
    }
}

void CChannelLookup::MapRowBytes(uint8_t* dest, const uint8_t* src, int width) const {
    // Each pixel's bytes are loaded before any is stored: dest and src are
    // distinct rows, but the compiler cannot know it and would otherwise
    // hold every load back behind the previous store.
    const uint8_t* const b = blue_;
    const uint8_t* const g = green_;
    const uint8_t* const r = red_;
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(bytesPerPixel_);
    // The wide path maps the whole row or nothing; one table passed thrice
    // tells it the channels need no telling apart.
    size_t start = 0;
    if (wide_)
        start = shared_ ? MapRowWide(dest, src, bytes, b, b, b, bytesPerPixel_)
                        : MapRowWide(dest, src, bytes, b, g, r, bytesPerPixel_);
    if (bytesPerPixel_ == 4) {
        for (size_t i = start; i < bytes; i += 4) {
            const uint8_t v0 = b[src[i]], v1 = g[src[i + 1]], v2 = r[src[i + 2]], v3 = src[i + 3];
            dest[i] = v0;
            dest[i + 1] = v1;
            dest[i + 2] = v2;
            dest[i + 3] = v3;
        }
        return;
    }
    for (size_t i = start; i < bytes; i += 3) {
        const uint8_t v0 = b[src[i]], v1 = g[src[i + 1]], v2 = r[src[i + 2]];
        dest[i] = v0;
        dest[i + 1] = v1;
        dest[i + 2] = v2;
    }
}

void CChannelLookup::InvertRow(uint8_t* dest, const uint8_t* src, int width) const {
    if (bytesPerPixel_ == 3) {
        const size_t bytes = static_cast<size_t>(width) * 3;
        for (size_t i = 0; i < bytes; ++i)
            dest[i] = static_cast<uint8_t>(src[i] ^ 0xFF);
        return;
    }
    // 32 bpp: one XOR per pixel with a mask that leaves the fourth byte.
    const uint8_t maskBytes[4] = {0xFF, 0xFF, 0xFF, 0x00};
    uint32_t mask;
    std::memcpy(&mask, maskBytes, sizeof mask);
    for (int x = 0; x < width; ++x) {
        uint32_t pixel;
        std::memcpy(&pixel, src + 4 * static_cast<size_t>(x), sizeof pixel);
        pixel ^= mask;
        std::memcpy(dest + 4 * static_cast<size_t>(x), &pixel, sizeof pixel);
    }
}
