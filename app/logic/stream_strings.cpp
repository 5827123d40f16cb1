#include "app/logic/stream_strings.h"

#include <cstdint>

#include "imaging/byte_stream.h"

bool WriteStreamString(CByteStream* stream, const char* text, size_t length) {
    if (length > UINT32_MAX)
        return false;
    const uint32_t n = static_cast<uint32_t>(length);
    return stream->WriteUInt32LE(n) && stream->Write(text, n) == n;
}

bool ReadStreamString(CByteStream* stream, std::string* text) {
    if (stream->Remaining() < 4)
        return false;
    const uint32_t length = stream->ReadUInt32LE();
    if (length > stream->Remaining())
        return false;
    text->assign(reinterpret_cast<const char*>(stream->buffer + stream->position), length);
    stream->position += length;
    return true;
}
