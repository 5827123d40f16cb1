// Row mapper of the lookup-table operations: the blue, green and red bytes
// of 24/32-bpp pixels each go through a 256-entry byte table; the fourth
// byte of a 32-bpp pixel is copied unchanged.
//
// The tables decide how a row is walked, always with the same result as
// mapping each byte through its channel's table:
// - every table is the identity: the row is copied;
// - every table is 255 - i: the colour bytes are XORed with 0xFF, which the
//   compiler turns into wide vector operations;
// - otherwise each byte goes through its channel's table: the whole row
//   64 bytes at a time with byte permutes where the processor has them
//   (wide_lookup.h), else one pixel at a time, the loads of a pixel issued
//   before its stores.
// 65536-entry tables that map two bytes at once were measured slower than
// the byte tables: at 128 KB each they miss the first-level cache on
// photographs, where the byte tables never do. Splitting the tables into
// sixteen-entry shuffles (128/256-bit vectors) and mapping 64-bit words at
// a time were measured no faster than the byte loop.
#pragma once

#include <cstddef>
#include <cstdint>

class CChannelLookup {
public:
    enum class Method {
        kCopy,       // all three tables are the identity
        kInvert,     // all three tables are 255 - i
        kByteTables, // one table lookup per colour byte
    };

    // Readies the mapping of rows of `bitsPerPixel` (24 or 32) pixels through
    // the three tables (which may be one and the same).
    void Prepare(const uint8_t blue[256], const uint8_t green[256], const uint8_t red[256],
                 int bitsPerPixel);

    // Maps `width` pixels of src into dest; the two rows must not overlap.
    void MapRow(uint8_t* dest, const uint8_t* src, int width) const;

    Method method() const { return method_; }

    // Whether Prepare may choose the 64-byte path where the processor has
    // it (default true). Lets the tests compare both paths on one machine;
    // takes effect at the next Prepare.
    static void AllowWidePath(bool allowed);
    // Allowed and supported by the processor.
    static bool WidePathEnabled();
    // Whether the last Prepare chose the 64-byte path for byte tables.
    bool usesWidePath() const { return wide_; }

private:
    void MapRowBytes(uint8_t* dest, const uint8_t* src, int width) const;
    void InvertRow(uint8_t* dest, const uint8_t* src, int width) const;

    Method method_ = Method::kByteTables;
    int bytesPerPixel_ = 3;
    bool shared_ = false; // the three tables are equal
    bool wide_ = false;
    uint8_t blue_[256] = {};
    uint8_t green_[256] = {};
    uint8_t red_[256] = {};
};
