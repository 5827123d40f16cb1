// The records of the main database keep their strings as a 32-bit
// little-endian length followed by that many bytes, with no terminator.
#pragma once

#include <cstddef>
#include <string>

class CByteStream;

// False when the string cannot be described by 32 bits or the stream will not
// take it.
bool WriteStreamString(CByteStream* stream, const char* text, size_t length);
inline bool WriteStreamString(CByteStream* stream, const std::string& text) {
    return WriteStreamString(stream, text.data(), text.size());
}

// The length must lie within what is left of the stream, so a damaged length
// never makes an allocation larger than the record itself.
bool ReadStreamString(CByteStream* stream, std::string* text);
