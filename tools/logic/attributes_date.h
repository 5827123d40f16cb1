// The date of an image's or folder's attributes record: a 16-bit year (0 =
// no date), an 8-bit month and an 8-bit day, kept in the record's one 32-bit
// value in that order from the lowest byte up.
#pragma once

#include <cstdint>

struct AttributesDate {
    uint16_t year = 0; // 0 = the record carries no date
    uint8_t month = 0; // 1..12
    uint8_t day = 0;   // 1..31
};

inline AttributesDate UnpackAttributesDate(uint32_t value) {
    AttributesDate date;
    date.year = static_cast<uint16_t>(value & 0xFFFFu);
    date.month = static_cast<uint8_t>((value >> 16) & 0xFFu);
    date.day = static_cast<uint8_t>(value >> 24);
    return date;
}

inline uint32_t PackAttributesDate(const AttributesDate& date) {
    return static_cast<uint32_t>(date.year) | static_cast<uint32_t>(date.month) << 16 |
           static_cast<uint32_t>(date.day) << 24;
}

// The same value with the year set to 0 (month and day kept), which is how
// a record says it has no date.
inline uint32_t ClearAttributesYear(uint32_t value) {
    return value & 0xFFFF0000u;
}
