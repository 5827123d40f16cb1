// Checksum of a text, used where a short fixed-size name has to stand for a
// path.
#pragma once

#include <cstdint>

// The lowest count bits (0..32) of value in reverse order.
uint32_t ReflectBits(uint32_t value, int count);

// The standard CRC-32 (as in zip and PNG: polynomial 0x04C11DB7 reflected,
// initial value all ones, final complement) of the text's bytes up to its
// terminating zero. A null text counts as empty (checksum 0).
uint32_t StringCrc32(const char* text);
