// The records of the crash-safety run, shared by the writer process and the
// test that kills it and checks what it left behind.
//
// Step n (n = 1, 2, ...) of the writer, then one Flush:
//   - "ImageProperties"-like index (variable inline keys, values out of line):
//     key "#<folder>#<file name>" (20-60 bytes) -> 200..3000 bytes;
//   - every fourth step also a thumbnail-sized value (4-24 KB) under the same
//     key in the "Thumbnail"-like index;
//   - "FolderSymbol"-like index (4-byte signed keys, variable inline values):
//     n -> a 10..200-byte folder path;
//   - every fifth step erases the properties record of step n - 3, so that
//     pages and records are freed and reused as in the program.
// After Flush returns true the writer appends n (u32, little-endian) to the
// acknowledgement file. Everything is a function of n, so the checker knows
// what every acknowledged step must have left in the file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace crashrec {

constexpr const char* kPropsIndex = "ImageProperties";
constexpr const char* kThumbIndex = "Thumbnail";
constexpr const char* kSymbolIndex = "FolderSymbol";

inline uint32_t Mix(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

inline std::string PropsKey(uint32_t n) {
    uint32_t h = Mix(n);
    std::string name(4 + h % 37, 'a');
    for (size_t i = 0; i < name.size(); ++i)
        name[i] = static_cast<char>('a' + Mix(h + static_cast<uint32_t>(i)) % 26);
    char head[24];
    std::snprintf(head, sizeof head, "#%u#", 1000 + h % 500);
    return head + name + ".jpg" + std::to_string(n);
}

inline std::string Bytes(uint32_t seed, uint32_t length) {
    std::string v(length, '\0');
    uint32_t x = Mix(seed);
    for (uint32_t i = 0; i < length; ++i) {
        if ((i & 3) == 0)
            x = Mix(x + i);
        v[i] = static_cast<char>(x >> (8 * (i & 3)));
    }
    return v;
}

inline std::string PropsValue(uint32_t n) {
    return Bytes(n * 3 + 1, 200 + Mix(n * 7) % 2801);
}
inline bool HasThumb(uint32_t n) {
    return n % 4 == 0;
}
inline std::string ThumbValue(uint32_t n) {
    return Bytes(n * 3 + 2, 4096 + Mix(n * 11) % (20 * 1024 + 1));
}
inline std::string SymbolValue(uint32_t n) {
    std::string path = "C:\\Pictures\\" + Bytes(n * 3, 1 + Mix(n * 13) % 188);
    for (char& c : path)
        if (c == '\0')
            c = '_';
    return path;
}
// The properties record erased at step n, or 0 for none.
inline uint32_t ErasedAt(uint32_t n) {
    return n % 5 == 0 && n > 3 ? n - 3 : 0;
}
// True when the properties record of step m is erased once steps 1..done ran.
inline bool PropsErased(uint32_t m, uint32_t done) {
    return (m + 3) % 5 == 0 && m + 3 <= done && m + 3 > 3;
}

} // namespace crashrec
