// The variable-length LZW coding of GIF image data.
//
// Image data as stored: one byte, the minimum code size m, then data
// sub-blocks (a length byte 1..255 and that many bytes) ended by a length
// byte of 0. Codes are packed least significant bit first across sub-block
// boundaries. Clear code = 2^m, end code = 2^m + 1, the first free code
// 2^m + 2; codes start m + 1 bits wide and grow by one bit each time the next
// free code reaches 2^bits, up to 12 bits (4096 table entries). Once the table
// is full no entry is added until the next clear code.
#pragma once

#include <cstddef>
#include <cstdint>

class CByteStream;
class CImageFileTarget;

// Decodes one frame's image data from a stream positioned at its first
// sub-block length byte (the minimum code size already read).
class CGifLzwDecoder {
public:
    // Resets the decoder for minimum code size m; false unless 1 <= m <= 11
    // (a larger m would make the clear code the size of the whole table).
    bool Begin(CByteStream* stream, int32_t minCodeSize);

    // Decodes up to count pixels into out. Returns the number produced: count
    // normally, fewer once the end code has arrived, -1 for data that breaks
    // the rules (an undefined code, a chain longer than the table, sub-blocks
    // that end before the end code). Pending output carries over to the next
    // call, so rows can be asked for one at a time.
    int64_t Decode(uint8_t* out, uint32_t count);

    // Skips what is left of the data: the rest of the current sub-block and
    // every following one up to the 0 terminator. False when the stream ends
    // first.
    bool SkipRest();

private:
    bool NextCode(uint32_t* code);
    bool FillBits();

    CByteStream* m_stream = nullptr;
    int32_t m_minCodeSize = 0;
    uint32_t m_clear = 0;
    uint32_t m_end = 0;
    uint32_t m_codeSize = 0;
    uint32_t m_nextCode = 0;
    int32_t m_previous = -1;
    uint8_t m_firstByte = 0;
    bool m_ended = false;       // the end code was read
    bool m_blocksEnded = false; // the 0 terminator was read
    uint32_t m_blockLeft = 0;   // bytes left in the current sub-block
    uint32_t m_bitBuffer = 0;
    uint32_t m_bitCount = 0;
    uint32_t m_stackTop = 0;
    uint16_t m_prefix[4096] = {};
    uint8_t m_suffix[4096] = {};
    uint8_t m_stack[4097] = {};
};

// The classic hashing GIF encoder: 8-bit pixels (minimum code size 8), a
// 5003-entry open-addressing string table, a clear code whenever the table
// is full, and sub-blocks of at most 254 bytes. The tables live in the object
// so that one encode allocates nothing.
class CGifLzwEncoder {
public:
    // Writes the LZW sub-blocks (not the code size byte, not the terminator)
    // for rows of width pixels taken top to bottom; rowAt(context, y) gives
    // the start of row y. False when a write fails.
    typedef const uint8_t* (*RowSource)(const void* context, int32_t y);
    bool Encode(RowSource rowAt, const void* context, int32_t width, int32_t height,
                CImageFileTarget* target);

private:
    static const int32_t kHashSize = 5003;
    void ClearHash();
    bool Output(uint32_t code);
    bool PutByte(uint8_t value);
    bool FlushPacket();

    CImageFileTarget* m_target = nullptr;
    int32_t m_hash[kHashSize] = {};
    uint16_t m_codes[kHashSize] = {};
    uint8_t m_packet[256] = {};
    uint32_t m_packetLength = 0;
    uint32_t m_accumulator = 0;
    uint32_t m_accumulatorBits = 0;
    uint32_t m_codeSize = 0;
    uint32_t m_initialCodeSize = 0;
    uint32_t m_maxCode = 0;
    uint32_t m_nextCode = 0;
    uint32_t m_clearCode = 0;
    uint32_t m_endCode = 0;
    bool m_clearPending = false;
};
