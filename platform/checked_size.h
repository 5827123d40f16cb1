// Size arithmetic for parsers: every byte count that comes from a file passes
// through CheckedSize before it is compared with the data at hand or used for
// an allocation. An overflow anywhere in the expression makes the result
// invalid instead of wrapping to a small number that would pass the check.
#pragma once

#include <cstdint>

namespace plat {

class CheckedSize {
public:
    constexpr CheckedSize(uint64_t value = 0) : m_value(value), m_valid(true) {}

    static constexpr CheckedSize Invalid() {
        CheckedSize s;
        s.m_valid = false;
        return s;
    }

    constexpr bool Valid() const { return m_valid; }
    // The value; meaningful only while Valid().
    constexpr uint64_t Value() const { return m_value; }
    // True when the value is valid and at most limit.
    constexpr bool FitsIn(uint64_t limit) const { return m_valid && m_value <= limit; }

    friend constexpr CheckedSize operator+(CheckedSize a, CheckedSize b) {
        if (!a.m_valid || !b.m_valid || a.m_value > UINT64_MAX - b.m_value)
            return Invalid();
        return CheckedSize(a.m_value + b.m_value);
    }
    friend constexpr CheckedSize operator*(CheckedSize a, CheckedSize b) {
        if (!a.m_valid || !b.m_valid || (a.m_value != 0 && b.m_value > UINT64_MAX / a.m_value))
            return Invalid();
        return CheckedSize(a.m_value * b.m_value);
    }
    // Rounded up to a multiple of step (step > 0): row padding.
    constexpr CheckedSize RoundUp(uint64_t step) const {
        if (!m_valid || step == 0)
            return Invalid();
        const CheckedSize up = *this + CheckedSize(step - 1);
        return up.m_valid ? CheckedSize(up.m_value / step * step) : Invalid();
    }

private:
    uint64_t m_value;
    bool m_valid;
};

// Bytes in one row of width pixels of bitsPerPixel bits, padded to a multiple
// of alignBytes (> 0): the stride of a bitmap row.
constexpr CheckedSize RowBytes(uint64_t width, uint64_t bitsPerPixel, uint64_t alignBytes) {
    const CheckedSize bits = (CheckedSize(width) * bitsPerPixel).RoundUp(8 * alignBytes);
    return bits.Valid() ? CheckedSize(bits.Value() / 8) : CheckedSize::Invalid();
}

} // namespace plat
