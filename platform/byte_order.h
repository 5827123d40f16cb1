// Little-endian loads from byte buffers. File formats store their integers
// in a fixed order whatever the machine's, so parsers read them byte by byte
// through these instead of casting pointers (which would also need alignment).
#pragma once

#include <cstdint>

namespace plat {

inline uint16_t LoadLE16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t LoadLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace plat
