#include "imaging/byte_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(ByteStream, NewStreamIsEmpty) {
    CByteStream stream;
    EXPECT_EQ(stream.buffer, nullptr);
    EXPECT_EQ(stream.size, 0u);
    EXPECT_EQ(stream.capacity, 0u);
    EXPECT_EQ(stream.position, 0u);
    EXPECT_FALSE(stream.ownsBuffer);
    EXPECT_EQ(stream.bigEndian, 0);
    EXPECT_EQ(stream.ReadUInt32(), 0u);
    EXPECT_FALSE(stream.Seek(0, 0)); // limit 0: even 0 is at the limit
}

TEST(ByteStream, SeekOnAttachedBytes) {
    uint8_t data[10] = {0};
    struct Case {
        int64_t offset;
        int origin;
        uint32_t from;
        bool ok;
        uint32_t to;
    } cases[] = {
        {9, 0, 0, true, 9},   {10, 0, 3, false, 3}, {1, 2, 0, true, 9},
        {0, 2, 4, false, 4},  {10, 2, 4, true, 0},  {11, 2, 4, false, 4},
        {-1, 0, 5, false, 5}, {-5, 1, 5, true, 0},  {-6, 1, 5, false, 5},
        {4, 1, 5, true, 9},   {5, 1, 5, false, 5},  {1LL << 32, 0, 2, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "Seek(" << c.offset << ", " << c.origin << ") from " << c.from);
        CByteStream stream;
        stream.Attach(data, 10, 10);
        stream.position = c.from;
        EXPECT_EQ(stream.Seek(c.offset, c.origin), c.ok);
        EXPECT_EQ(stream.position, c.to);
    }
}

TEST(ByteStream, ReadsStopAtTheEndOfTheData) {
    uint8_t data[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    CByteStream stream;
    stream.Attach(data, 10, 10);
    ASSERT_TRUE(stream.Seek(8, 0));
    uint8_t got[4] = {0};
    EXPECT_EQ(stream.Read(got, 4), 2u);
    EXPECT_EQ(got[0], 9);
    EXPECT_EQ(got[1], 10);
    EXPECT_EQ(stream.position, 10u);
    EXPECT_EQ(stream.ReadUInt32(), 0u);
    EXPECT_EQ(stream.Read(got, 1), 0u);

    // A typed read with some bytes left: the missing ones count as 0.
    ASSERT_TRUE(stream.Seek(8, 0));
    EXPECT_EQ(stream.ReadUInt32LE(), 0x0A09u);
    ASSERT_TRUE(stream.Seek(9, 0));
    EXPECT_EQ(stream.ReadUInt16BE(), 0x0A00u);

    // A null destination skips bytes.
    ASSERT_TRUE(stream.Seek(0, 0));
    EXPECT_EQ(stream.Read(nullptr, 3), 3u);
    EXPECT_EQ(stream.ReadUInt8(), 4);
}

TEST(ByteStream, ByteOrders) {
    uint8_t data[6] = {0x00, 0x2A, 0x12, 0x34, 0x56, 0x78};
    CByteStream stream;
    stream.Attach(data, 6, 6);
    stream.bigEndian = 1;
    EXPECT_EQ(stream.ReadUInt16(), 42);
    EXPECT_EQ(stream.ReadUInt32(), 0x12345678u);
    stream.bigEndian = 0;
    ASSERT_TRUE(stream.Seek(0, 0));
    EXPECT_EQ(stream.ReadUInt16(), 10752);
    EXPECT_EQ(stream.ReadUInt32(), 0x78563412u);
    ASSERT_TRUE(stream.Seek(2, 0));
    EXPECT_EQ(stream.ReadUInt16LE(), 0x3412);
    EXPECT_EQ(stream.ReadUInt16BE(), 0x5678);
    ASSERT_TRUE(stream.Seek(2, 0));
    EXPECT_EQ(stream.ReadUInt32BE(), 0x12345678u);

    CByteStream out;
    EXPECT_TRUE(out.WriteUInt8(0xAB));
    EXPECT_TRUE(out.WriteUInt16LE(0x1234));
    EXPECT_TRUE(out.WriteUInt16BE(0x1234));
    EXPECT_TRUE(out.WriteUInt32LE(0xDEADBEEF));
    EXPECT_TRUE(out.WriteUInt32BE(0xDEADBEEF));
    const uint8_t expected[] = {0xAB, 0x34, 0x12, 0x12, 0x34, 0xEF, 0xBE,
                                0xAD, 0xDE, 0xDE, 0xAD, 0xBE, 0xEF};
    ASSERT_EQ(out.size, sizeof expected);
    EXPECT_EQ(memcmp(out.buffer, expected, sizeof expected), 0);
}

TEST(ByteStream, OwnedStreamGrowth) {
    struct Case {
        uint32_t writeCount;
        uint32_t capacity;
    } cases[] = {{5, 16}, {20, 26}, {2, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.writeCount);
        CByteStream stream;
        ASSERT_TRUE(stream.Allocate(8));
        ASSERT_TRUE(stream.Seek(6, 0));
        std::vector<uint8_t> data(c.writeCount, 0x5A);
        EXPECT_EQ(stream.Write(data.data(), c.writeCount), c.writeCount);
        EXPECT_EQ(stream.capacity, c.capacity);
        EXPECT_EQ(stream.position, 6 + c.writeCount);
        EXPECT_EQ(stream.size, 6 + c.writeCount);
        // The skipped gap reads as zeros.
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(stream.buffer[i], 0);
    }

    CByteStream fresh;
    uint8_t three[3] = {1, 2, 3};
    EXPECT_EQ(fresh.Write(three, 3), 3u);
    EXPECT_EQ(fresh.capacity, 3u); // the first write allocates exactly what it needs
    EXPECT_TRUE(fresh.ownsBuffer);
}

TEST(ByteStream, WriteWithoutGrowing) {
    CByteStream stream;
    ASSERT_TRUE(stream.Allocate(4));
    uint8_t data[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(stream.Write(data, 6, false), 4u);
    EXPECT_EQ(stream.capacity, 4u);
    EXPECT_EQ(stream.size, 4u);
    EXPECT_EQ(stream.Write(data, 1, false), 0u);
}

TEST(ByteStream, AttachedStreamNeverGrows) {
    uint8_t memory[8] = {0};
    CByteStream stream;
    stream.Attach(memory, 8, 0);
    uint8_t data[12];
    memset(data, 7, sizeof data);
    EXPECT_EQ(stream.Write(data, 12), 8u);
    EXPECT_EQ(stream.capacity, 8u);
    EXPECT_EQ(stream.buffer, memory);
    EXPECT_FALSE(stream.ownsBuffer);
    EXPECT_FALSE(stream.Grow(64));
    EXPECT_FALSE(stream.WriteUInt8(1));
    EXPECT_EQ(memory[7], 7);

    // A size above the capacity is cut, so no read leaves the memory.
    CByteStream cut;
    cut.Attach(memory, 4, 100);
    EXPECT_EQ(cut.size, 4u);
    EXPECT_EQ(cut.Read(data, 12), 4u);

    CByteStream readOnly;
    const uint8_t constant[3] = {1, 2, 3};
    readOnly.AttachReadOnly(constant, 3);
    EXPECT_EQ(readOnly.Write(data, 1), 0u);
    EXPECT_EQ(readOnly.ReadUInt8(), 1);
}

TEST(ByteStream, OverwriteInsideTheDataKeepsTheSize) {
    CByteStream stream;
    uint8_t ten[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    ASSERT_EQ(stream.Write(ten, 10), 10u);
    ASSERT_TRUE(stream.Seek(2, 0));
    uint8_t three[3] = {0xA, 0xB, 0xC};
    EXPECT_EQ(stream.Write(three, 3), 3u);
    EXPECT_EQ(stream.size, 10u);
    EXPECT_EQ(stream.buffer[4], 0xC);
    EXPECT_EQ(stream.buffer[5], 5);
    // Writing across the end lengthens it only to the new end.
    ASSERT_TRUE(stream.Seek(8, 0));
    EXPECT_EQ(stream.Write(three, 3), 3u);
    EXPECT_EQ(stream.size, 11u);
}

TEST(ByteStream, SeekPastTheDataThenReadAndWrite) {
    uint8_t memory[16] = {0};
    CByteStream stream;
    stream.Attach(memory, 16, 4);
    ASSERT_TRUE(stream.Seek(10, 0)); // beyond the size, inside the capacity
    uint8_t got[4] = {9, 9, 9, 9};
    EXPECT_EQ(stream.Read(got, 4), 0u);
    EXPECT_EQ(stream.position, 10u);
    EXPECT_EQ(stream.ReadUInt32(), 0u);
    EXPECT_EQ(stream.Write(got, 4), 4u);
    EXPECT_EQ(stream.size, 14u);
    EXPECT_EQ(stream.Write(got, 4), 2u); // cut at the capacity
    EXPECT_EQ(stream.size, 16u);
    EXPECT_EQ(stream.Write(got, 4), 0u); // at the capacity: nothing
    EXPECT_EQ(stream.position, 16u);
    EXPECT_EQ(stream.size, 16u);
}

TEST(ByteStream, AllocateFreeGrow) {
    CByteStream stream;
    ASSERT_TRUE(stream.Allocate(8));
    uint8_t* first = stream.buffer;
    stream.WriteUInt32LE(1);
    ASSERT_TRUE(stream.Allocate(8)); // same capacity: buffer kept, emptied
    EXPECT_EQ(stream.buffer, first);
    EXPECT_EQ(stream.size, 0u);
    EXPECT_EQ(stream.position, 0u);

    stream.WriteUInt32LE(0x01020304);
    EXPECT_FALSE(stream.Grow(3)); // below the size
    EXPECT_TRUE(stream.Grow(8));
    ASSERT_TRUE(stream.Grow(32));
    EXPECT_EQ(stream.capacity, 32u);
    EXPECT_EQ(stream.buffer[0], 4);

    stream.Free();
    EXPECT_EQ(stream.buffer, nullptr);
    EXPECT_EQ(stream.capacity, 0u);
    EXPECT_FALSE(stream.ownsBuffer);

    // Attaching drops an owned buffer (the leak checker notices otherwise).
    ASSERT_TRUE(stream.Allocate(64));
    uint8_t memory[2] = {5, 6};
    stream.Attach(memory, 2, 2);
    EXPECT_EQ(stream.ReadUInt16LE(), 0x0605);
}

} // namespace
