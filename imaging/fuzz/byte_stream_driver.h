// Drives a CByteStream with operations decoded from arbitrary bytes and checks
// it against a plain model of the same stream after every step. Shared by the
// fuzz target and the regression test that replays stored inputs.
//
// Input format: a sequence of operations, each one opcode byte followed by
// its arguments (little-endian; missing bytes read as 0):
//   0 Allocate(u16)        1 Attach(u16 capacity, u16 size)   2 AttachReadOnly(u16 size)
//   3 Free                 4 Grow(u16)                        5 Read(u16 count)
//   6 Write(u16 count, u8 grow; data from the input)          7 Seek(i32, u8 origin)
//   8 typed read (u8 kind) 9 typed write (u8 kind, u32 value) 10 bigEndian := u8
//   11 Read(null, u16)     12 Write(null, u16, u8 grow)
// The opcode is taken modulo 13.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/byte_stream.h"

namespace byte_stream_fuzz {

// Growth beyond this is not driven further: doubling could otherwise ask for
// gigabytes in a few dozen steps.
constexpr uint32_t kMaxCapacity = 1u << 20;

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Done() const { return at_ >= size_; }
    uint8_t U8() { return at_ < size_ ? data_[at_++] : 0; }
    uint16_t U16() { return static_cast<uint16_t>(U8() | (U8() << 8)); }
    uint32_t U32() { return static_cast<uint32_t>(U16()) | (static_cast<uint32_t>(U16()) << 16); }
    // Up to count bytes of the input itself, zero-padded.
    std::vector<uint8_t> Bytes(uint32_t count) {
        std::vector<uint8_t> out(count, 0);
        for (uint32_t i = 0; i < count && at_ < size_; ++i)
            out[i] = data_[at_++];
        return out;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// What the stream should hold, kept the plain way.
struct Model {
    std::vector<uint8_t> bytes; // capacity bytes
    uint32_t size = 0;
    uint32_t position = 0;
    bool owns = false;
    bool readOnly = false;
    bool hasBuffer = false;
    int32_t bigEndian = 0;

    uint32_t Capacity() const { return static_cast<uint32_t>(bytes.size()); }
};

[[noreturn]] inline void Fail() {
    abort();
}

inline void Check(bool condition) {
    if (!condition)
        Fail();
}

inline void Compare(const CByteStream& stream, const Model& model) {
    Check(stream.size == model.size);
    Check(stream.position == model.position);
    Check(stream.capacity == model.Capacity());
    Check(stream.ownsBuffer == model.owns);
    Check(stream.size <= stream.capacity);
    Check((stream.buffer != nullptr) == model.hasBuffer);
    if (model.size > 0)
        Check(memcmp(stream.buffer, model.bytes.data(), model.size) == 0);
}

inline uint32_t ModelRead(Model& model, uint8_t* out, uint32_t count) {
    if (model.position >= model.size)
        return 0;
    uint32_t n = count < model.size - model.position ? count : model.size - model.position;
    if (out && n > 0)
        memcpy(out, model.bytes.data() + model.position, n);
    model.position += n;
    return n;
}

inline void ModelGrow(Model& model, uint32_t capacity) {
    model.bytes.resize(capacity, 0);
    model.owns = true;
    model.readOnly = false;
    model.hasBuffer = capacity > 0;
}

inline uint32_t ModelWrite(Model& model, const uint8_t* source, uint32_t count, bool grow) {
    if (model.readOnly || count == 0)
        return 0;
    uint32_t capacity = model.Capacity();
    uint32_t room = model.position < capacity ? capacity - model.position : 0;
    if (((grow && model.owns) || !model.hasBuffer) && room < count) {
        uint64_t needed = static_cast<uint64_t>(model.position) + count;
        uint64_t doubled = static_cast<uint64_t>(capacity) * 2;
        ModelGrow(model, static_cast<uint32_t>(doubled > needed ? doubled : needed));
        room = model.Capacity() - model.position;
    }
    uint32_t n = count < room ? count : room;
    if (n == 0)
        return 0;
    if (source && n > 0)
        memcpy(model.bytes.data() + model.position, source, n);
    model.position += n;
    if (model.position > model.size)
        model.size = model.position;
    return n;
}

// Runs one input; aborts on the first difference from the model.
inline void Run(const uint8_t* data, size_t size) {
    Input in(data, size);
    CByteStream stream;
    Model model;
    std::vector<uint8_t> foreign; // memory the stream views when attached
    for (int steps = 0; !in.Done() && steps < 4096; ++steps) {
        uint8_t opcode = in.U8() % 13;
        switch (opcode) {
        case 0: {
            uint32_t capacity = in.U16();
            Check(stream.Allocate(capacity));
            if (!(model.owns && model.hasBuffer && model.Capacity() == capacity)) {
                model = Model{std::vector<uint8_t>(capacity, 0),
                              0,
                              0,
                              true,
                              false,
                              capacity > 0,
                              model.bigEndian};
                if (capacity == 0)
                    model.owns = false;
            }
            model.size = model.position = 0;
            break;
        }
        case 1: {
            uint32_t capacity = in.U16();
            uint32_t dataSize = in.U16();
            stream.Free();
            foreign = in.Bytes(capacity);
            stream.Attach(capacity ? foreign.data() : nullptr, capacity, dataSize);
            model = Model{capacity ? foreign : std::vector<uint8_t>(),
                          capacity ? (dataSize < capacity ? dataSize : capacity) : 0,
                          0,
                          false,
                          false,
                          capacity > 0,
                          model.bigEndian};
            break;
        }
        case 2: {
            uint32_t dataSize = in.U16();
            stream.Free();
            foreign = in.Bytes(dataSize);
            stream.AttachReadOnly(dataSize ? foreign.data() : nullptr, dataSize);
            model = Model{dataSize ? foreign : std::vector<uint8_t>(),
                          dataSize,
                          0,
                          false,
                          dataSize > 0,
                          dataSize > 0,
                          model.bigEndian};
            break;
        }
        case 3:
            stream.Free();
            model = Model{{}, 0, 0, false, false, false, model.bigEndian};
            break;
        case 4: {
            uint32_t capacity = in.U16();
            bool ok = stream.Grow(capacity);
            bool expected = !(model.hasBuffer && (!model.owns || capacity < model.size));
            Check(ok == expected);
            if (ok && !(capacity == model.Capacity() && (model.hasBuffer || capacity == 0)))
                ModelGrow(model, capacity);
            break;
        }
        case 5: {
            uint32_t count = in.U16();
            std::vector<uint8_t> got(count), want(count);
            uint32_t n = stream.Read(got.data(), count);
            Check(n == ModelRead(model, want.data(), count));
            Check(n == 0 || memcmp(got.data(), want.data(), n) == 0);
            break;
        }
        case 6:
        case 12: {
            bool useNull = opcode == 12; // a null source advances without copying
            uint32_t count = in.U16();
            bool grow = in.U8() & 1;
            if (stream.capacity > kMaxCapacity)
                break;
            std::vector<uint8_t> bytes = useNull ? std::vector<uint8_t>() : in.Bytes(count);
            const uint8_t* source = useNull ? nullptr : bytes.data();
            uint32_t n = stream.Write(source, count, grow);
            Check(n == ModelWrite(model, source, count, grow));
            break;
        }
        case 7: {
            int32_t offset = static_cast<int32_t>(in.U32());
            int origin = in.U8() % 3;
            uint32_t limit = model.size > model.Capacity() ? model.size : model.Capacity();
            int64_t target = origin == 0   ? offset
                             : origin == 1 ? static_cast<int64_t>(model.position) + offset
                                           : static_cast<int64_t>(limit) - offset;
            bool expected = target >= 0 && target < static_cast<int64_t>(limit);
            Check(stream.Seek(offset, origin) == expected);
            if (expected)
                model.position = static_cast<uint32_t>(target);
            break;
        }
        case 8: {
            uint8_t kind = in.U8() % 7;
            uint8_t want[4] = {0, 0, 0, 0};
            uint32_t widths[7] = {1, 2, 2, 2, 4, 4, 4};
            ModelRead(model, want, widths[kind]);
            uint32_t le =
                want[0] | (want[1] << 8) | (want[2] << 16) | (static_cast<uint32_t>(want[3]) << 24);
            uint32_t be16 = (want[0] << 8) | want[1];
            uint32_t be32 =
                (static_cast<uint32_t>(want[0]) << 24) | (want[1] << 16) | (want[2] << 8) | want[3];
            uint32_t got = 0, expected = 0;
            switch (kind) {
            case 0:
                got = stream.ReadUInt8();
                expected = want[0];
                break;
            case 1:
                got = stream.ReadUInt16();
                expected = model.bigEndian ? be16 : (le & 0xFFFF);
                break;
            case 2:
                got = stream.ReadUInt16LE();
                expected = le & 0xFFFF;
                break;
            case 3:
                got = stream.ReadUInt16BE();
                expected = be16;
                break;
            case 4:
                got = stream.ReadUInt32();
                expected = model.bigEndian ? be32 : le;
                break;
            case 5:
                got = stream.ReadUInt32LE();
                expected = le;
                break;
            default:
                got = stream.ReadUInt32BE();
                expected = be32;
                break;
            }
            Check(got == expected);
            break;
        }
        case 9: {
            uint8_t kind = in.U8() % 5;
            uint32_t value = in.U32();
            if (stream.capacity > kMaxCapacity)
                break;
            uint8_t bytes[4];
            uint32_t width = 0;
            bool ok = false;
            switch (kind) {
            case 0:
                bytes[0] = static_cast<uint8_t>(value);
                width = 1;
                ok = stream.WriteUInt8(bytes[0]);
                break;
            case 1:
                bytes[0] = value & 0xFF;
                bytes[1] = (value >> 8) & 0xFF;
                width = 2;
                ok = stream.WriteUInt16LE(static_cast<uint16_t>(value));
                break;
            case 2:
                bytes[0] = (value >> 8) & 0xFF;
                bytes[1] = value & 0xFF;
                width = 2;
                ok = stream.WriteUInt16BE(static_cast<uint16_t>(value));
                break;
            case 3:
                for (int i = 0; i < 4; ++i)
                    bytes[i] = (value >> (8 * i)) & 0xFF;
                width = 4;
                ok = stream.WriteUInt32LE(value);
                break;
            default:
                for (int i = 0; i < 4; ++i)
                    bytes[i] = (value >> (24 - 8 * i)) & 0xFF;
                width = 4;
                ok = stream.WriteUInt32BE(value);
                break;
            }
            Check(ok == (ModelWrite(model, bytes, width, true) == width));
            break;
        }
        case 10:
            stream.bigEndian = model.bigEndian = in.U8() & 1;
            break;
        case 11: {
            uint32_t count = in.U16();
            Check(stream.Read(nullptr, count) == ModelRead(model, nullptr, count));
            break;
        }
        }
        Compare(stream, model);
    }
}

} // namespace byte_stream_fuzz
