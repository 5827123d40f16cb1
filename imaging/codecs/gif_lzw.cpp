#include "imaging/codecs/gif_lzw.h"

#include "imaging/byte_stream.h"
#include "imaging/codecs/image_writer.h"

namespace {

const uint32_t kMaxCodeSize = 12;
const uint32_t kTableSize = 1u << kMaxCodeSize;
// Longest string a full table can hold.
const uint32_t kMaxChain = kTableSize - 1;

} // namespace

// --- decoder ---

bool CGifLzwDecoder::Begin(CByteStream* stream, int32_t minCodeSize) {
    if (stream == nullptr || minCodeSize < 1 || minCodeSize > 11)
        return false;
    m_stream = stream;
    m_minCodeSize = minCodeSize;
    m_clear = 1u << minCodeSize;
    m_end = m_clear + 1;
    m_codeSize = static_cast<uint32_t>(minCodeSize) + 1;
    m_nextCode = m_clear + 2;
    m_previous = -1;
    m_firstByte = 0;
    m_ended = false;
    m_blocksEnded = false;
    m_blockLeft = 0;
    m_bitBuffer = 0;
    m_bitCount = 0;
    m_stackTop = 0;
    for (uint32_t i = 0; i < m_clear; ++i) {
        m_prefix[i] = 0;
        m_suffix[i] = static_cast<uint8_t>(i);
    }
    return true;
}

bool CGifLzwDecoder::FillBits() {
    while (m_blockLeft == 0) {
        if (m_blocksEnded || m_stream->Remaining() < 1)
            return false;
        m_blockLeft = m_stream->ReadUInt8();
        if (m_blockLeft == 0) {
            m_blocksEnded = true;
            return false;
        }
    }
    if (m_stream->Remaining() < 1)
        return false;
    m_bitBuffer |= static_cast<uint32_t>(m_stream->ReadUInt8()) << m_bitCount;
    m_bitCount += 8;
    --m_blockLeft;
    return true;
}

bool CGifLzwDecoder::NextCode(uint32_t* code) {
    while (m_bitCount < m_codeSize) {
        if (!FillBits())
            return false;
    }
    *code = m_bitBuffer & ((1u << m_codeSize) - 1);
    m_bitBuffer >>= m_codeSize;
    m_bitCount -= m_codeSize;
    return true;
}

int64_t CGifLzwDecoder::Decode(uint8_t* out, uint32_t count) {
    uint32_t produced = 0;
    while (produced < count) {
        if (m_stackTop > 0) {
            out[produced++] = m_stack[--m_stackTop];
            continue;
        }
        if (m_ended)
            break;
        uint32_t code;
        if (!NextCode(&code))
            return -1; // the data ends without an end code
        if (code == m_clear) {
            m_codeSize = static_cast<uint32_t>(m_minCodeSize) + 1;
            m_nextCode = m_clear + 2;
            m_previous = -1;
            continue;
        }
        if (code == m_end) {
            m_ended = true;
            break;
        }
        if (m_previous < 0) {
            // Right after a clear only the single-pixel codes are defined.
            if (code >= m_clear)
                return -1;
            m_firstByte = static_cast<uint8_t>(code);
            m_stack[m_stackTop++] = m_firstByte;
            m_previous = static_cast<int32_t>(code);
            continue;
        }
        uint32_t current = code;
        uint32_t walk = code;
        if (code == m_nextCode && m_nextCode < kTableSize) {
            // The string being defined: the previous string plus its own first byte.
            m_stack[m_stackTop++] = m_firstByte;
            walk = static_cast<uint32_t>(m_previous);
        } else if (code > m_nextCode || (code >= m_nextCode && m_nextCode >= kTableSize)) {
            return -1;
        }
        uint32_t length = 0;
        while (walk > m_end) {
            if (++length > kMaxChain || m_stackTop >= kTableSize)
                return -1;
            m_stack[m_stackTop++] = m_suffix[walk];
            walk = m_prefix[walk];
        }
        if (walk >= m_clear)
            return -1; // a chain cannot run through the clear or end code
        m_firstByte = static_cast<uint8_t>(walk);
        m_stack[m_stackTop++] = m_firstByte;
        if (m_nextCode < kTableSize) {
            m_prefix[m_nextCode] = static_cast<uint16_t>(m_previous);
            m_suffix[m_nextCode] = m_firstByte;
            ++m_nextCode;
            if (m_nextCode == (1u << m_codeSize) && m_codeSize < kMaxCodeSize)
                ++m_codeSize;
        }
        m_previous = static_cast<int32_t>(current);
    }
    return produced;
}

bool CGifLzwDecoder::SkipRest() {
    if (m_blocksEnded)
        return true;
    for (;;) {
        if (m_stream->Remaining() < m_blockLeft)
            return false;
        m_stream->Read(nullptr, m_blockLeft);
        m_blockLeft = 0;
        if (m_stream->Remaining() < 1)
            return false;
        m_blockLeft = m_stream->ReadUInt8();
        if (m_blockLeft == 0) {
            m_blocksEnded = true;
            return true;
        }
    }
}

// --- encoder ---

void CGifLzwEncoder::ClearHash() {
    for (int32_t i = 0; i < kHashSize; ++i)
        m_hash[i] = -1;
}

bool CGifLzwEncoder::FlushPacket() {
    if (m_packetLength == 0)
        return true;
    uint8_t length = static_cast<uint8_t>(m_packetLength);
    bool ok = m_target->Write(&length, 1) && m_target->Write(m_packet, m_packetLength);
    m_packetLength = 0;
    return ok;
}

bool CGifLzwEncoder::PutByte(uint8_t value) {
    m_packet[m_packetLength++] = value;
    return m_packetLength < 254 || FlushPacket();
}

bool CGifLzwEncoder::Output(uint32_t code) {
    m_accumulator &= (1u << m_accumulatorBits) - 1;
    m_accumulator |= code << m_accumulatorBits;
    m_accumulatorBits += m_codeSize;
    while (m_accumulatorBits >= 8) {
        if (!PutByte(static_cast<uint8_t>(m_accumulator)))
            return false;
        m_accumulator >>= 8;
        m_accumulatorBits -= 8;
    }
    // The decoder widens its codes when its table reaches the current limit;
    // it adds its entries one code later, so the check follows the output.
    if (m_nextCode > m_maxCode || m_clearPending) {
        if (m_clearPending) {
            m_codeSize = m_initialCodeSize;
            m_maxCode = (1u << m_codeSize) - 1;
            m_clearPending = false;
        } else {
            ++m_codeSize;
            m_maxCode = m_codeSize == kMaxCodeSize ? kTableSize : (1u << m_codeSize) - 1;
        }
    }
    if (code == m_endCode) {
        while (m_accumulatorBits > 0) {
            if (!PutByte(static_cast<uint8_t>(m_accumulator)))
                return false;
            m_accumulator >>= 8;
            m_accumulatorBits = m_accumulatorBits > 8 ? m_accumulatorBits - 8 : 0;
        }
        return FlushPacket();
    }
    return true;
}

bool CGifLzwEncoder::Encode(RowSource rowAt, const void* context, int32_t width, int32_t height,
                            CImageFileTarget* target) {
    if (target == nullptr || width <= 0 || height <= 0)
        return false;
    m_target = target;
    m_packetLength = 0;
    m_accumulator = 0;
    m_accumulatorBits = 0;
    m_initialCodeSize = 9;
    m_codeSize = m_initialCodeSize;
    m_maxCode = (1u << m_codeSize) - 1;
    m_clearCode = 256;
    m_endCode = 257;
    m_nextCode = 258;
    m_clearPending = false;
    ClearHash();
    if (!Output(m_clearCode))
        return false;

    const int32_t kShift = 4;
    uint32_t prefix = rowAt(context, 0)[0];
    int32_t x = 1;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = rowAt(context, y);
        for (; x < width; ++x) {
            uint32_t pixel = row[x];
            int32_t key = static_cast<int32_t>((pixel << kMaxCodeSize) + prefix);
            int32_t i = static_cast<int32_t>((pixel << kShift) ^ prefix);
            bool found = false;
            if (m_hash[i] == key) {
                found = true;
            } else if (m_hash[i] >= 0) {
                int32_t step = i == 0 ? 1 : kHashSize - i;
                do {
                    i -= step;
                    if (i < 0)
                        i += kHashSize;
                    if (m_hash[i] == key) {
                        found = true;
                        break;
                    }
                } while (m_hash[i] >= 0);
            }
            if (found) {
                prefix = m_codes[i];
                continue;
            }
            if (!Output(prefix))
                return false;
            prefix = pixel;
            if (m_nextCode < kTableSize) {
                m_codes[i] = static_cast<uint16_t>(m_nextCode++);
                m_hash[i] = key;
            } else {
                ClearHash();
                m_nextCode = m_clearCode + 2;
                m_clearPending = true;
                if (!Output(m_clearCode))
                    return false;
            }
        }
        x = 0;
    }
    return Output(prefix) && Output(m_endCode);
}
