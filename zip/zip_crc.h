// CRC-32 of the zip format (the reflected polynomial 0xEDB88320), with the
// calling convention of zlib's crc32: start from 0, feed the blocks in order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ZipCrc {

// The running CRC after data; crc is the value returned for the bytes before.
uint32_t Update(uint32_t crc, const void* data, size_t length);

// Whether Update folds with carry-less multiplication on this processor
// (otherwise it is zlib's table method).
bool IsAccelerated();

} // namespace ZipCrc
