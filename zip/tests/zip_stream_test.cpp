#include <cerrno>
#include <functional>
#include <cstring>

#include "zip/tests/zip_test_util.h"
#include "zip/zip_exception.h"
#include "zip/zip_stream.h"

namespace {

int CauseOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const CZipException& e) {
        return e.Cause();
    }
    return 0;
}

TEST(ZipMemoryStream, GrowsInWholeSteps) {
    CZipMemoryStream s(1024);
    const uint8_t byte = 7;
    s.Write(&byte, 1);
    EXPECT_EQ(s.Capacity(), 1024u);
    std::vector<uint8_t> more(1024, 1);
    s.Write(more.data(), 1024);
    EXPECT_EQ(s.Capacity(), 2048u);
    EXPECT_EQ(s.GetLength(), 1025u);
    EXPECT_EQ(s.GetPosition(), 1025u);
}

TEST(ZipMemoryStream, SetLengthMovesThePositionAndZeroesGrownBytes) {
    CZipMemoryStream s(1024);
    std::vector<uint8_t> junk(200, 0xEE);
    s.Write(junk.data(), 200);
    s.SetLength(0);
    s.SeekToBegin();
    s.SetLength(10); // capacity suffices: the position moves to the length
    EXPECT_EQ(s.GetPosition(), 10u);
    EXPECT_EQ(s.GetLength(), 10u);
    s.SetLength(100);
    for (size_t i = 0; i < 100; ++i)
        ASSERT_EQ(s.Data()[i], 0) << "stale byte at " << i;
    s.SetLength(5000); // growing keeps the position
    EXPECT_EQ(s.GetPosition(), 100u);
    EXPECT_EQ(s.Data()[4999], 0);
}

TEST(ZipMemoryStream, PositionMayPassTheEnd) {
    CZipMemoryStream s(16);
    const char text[] = "0123456789";
    s.Write(text, 10);
    EXPECT_EQ(s.Seek(5, CZipStream::kEnd), 15u);
    char out[4];
    EXPECT_EQ(s.Read(out, 4), 0u);
    s.Write("x", 1); // the gap reads as zeros
    EXPECT_EQ(s.GetLength(), 16u);
    EXPECT_EQ(s.Data()[12], 0);
    EXPECT_EQ(s.Data()[15], 'x');
    EXPECT_EQ(s.Seek(3, 7), 16u); // unknown origin: unchanged
    s.SeekToBegin();
    EXPECT_EQ(s.Read(out, 4), 4u);
    EXPECT_EQ(std::memcmp(out, "0123", 4), 0);
}

TEST(ZipMemoryStream, RefusesPositionsThatWouldWrapOrOverflow) {
    CZipMemoryStream s(1024);
    s.Write("abc", 3);
    EXPECT_EQ(CauseOf([&] { s.Seek(-4, CZipStream::kCurrent); }), EINVAL);
    EXPECT_EQ(CauseOf([&] { s.Seek(INT64_MAX, CZipStream::kEnd); }), EINVAL);
    s.Seek(static_cast<int64_t>(CZipMemoryStream::kMaxSize) - 1, CZipStream::kBegin);
    EXPECT_EQ(CauseOf([&] { s.Write("abc", 3); }), CZipException::kZlibMemError);
    EXPECT_EQ(s.GetLength(), 3u);
    CZipMemoryStream noGrowth(0);
    EXPECT_EQ(CauseOf([&] { noGrowth.Write("a", 1); }), CZipException::kZlibMemError);
}

TEST(ZipMemoryStream, AttachedBlocksAreNeverWritten) {
    const uint8_t original[4] = {1, 2, 3, 4};
    CZipMemoryStream s;
    s.Attach(original, sizeof original);
    uint8_t out[4];
    EXPECT_EQ(s.Read(out, 4), 4u);
    s.Seek(1, CZipStream::kBegin);
    s.Write("\x09", 1);
    EXPECT_EQ(original[1], 2);
    EXPECT_EQ(s.Data()[1], 9);
    EXPECT_EQ(s.GetLength(), 4u);
    s.Close();
    EXPECT_TRUE(s.IsClosed());
}

TEST(ZipDiskFile, OpenFlagsCreateKeepAndTruncate) {
    const std::string dir = ziptest::Scratch("diskfile_flags");
    const std::string path = dir + "/f.bin";
    CZipDiskFile f;
    EXPECT_FALSE(f.Open(path.c_str(), ZipOpenFlags::kRead, false));
    EXPECT_EQ(CauseOf([&] { f.Open(path.c_str(), ZipOpenFlags::kRead, true); }), ENOENT);
    ASSERT_TRUE(f.Open(path.c_str(), ZipOpenFlags::kReadWrite | ZipOpenFlags::kCreate, true));
    f.Write("hello", 5);
    EXPECT_EQ(f.GetLength(), 5u);
    EXPECT_EQ(f.GetFilePath(), path);
    f.Close();

    ASSERT_TRUE(f.Open(path.c_str(), ZipOpenFlags::kReadWrite | ZipOpenFlags::kNoTruncate, true));
    EXPECT_EQ(f.GetLength(), 5u);
    f.SeekToEnd();
    f.Write("!", 1);
    f.SeekToBegin();
    char out[8] = {};
    EXPECT_EQ(f.Read(out, 8), 6u); // a short read at the end is no error
    EXPECT_STREQ(out, "hello!");
    f.SetLength(2);
    EXPECT_EQ(f.GetLength(), 2u);
    f.Close();

    ASSERT_TRUE(f.Open(path.c_str(), ZipOpenFlags::kWrite, true)); // truncates
    EXPECT_EQ(f.GetLength(), 0u);
    f.Close();
    EXPECT_TRUE(f.IsClosed());
    EXPECT_EQ(CauseOf([&] { f.OsHandle(); }), EBADF);
}

TEST(ZipDiskFile, SeeksBeyondFourGigabytes) {
    const std::string path = ziptest::Scratch("diskfile_large") + "/sparse.bin";
    CZipDiskFile f;
    ASSERT_TRUE(f.Open(path.c_str(), ZipOpenFlags::kReadWrite | ZipOpenFlags::kCreate, true));
    const int64_t far = (int64_t(5) << 30) + 3;
    EXPECT_EQ(f.Seek(far, CZipStream::kBegin), uint64_t(far));
    f.Write("z", 1);
    EXPECT_EQ(f.GetLength(), uint64_t(far) + 1);
    EXPECT_EQ(f.GetPosition(), uint64_t(far) + 1);
    f.Close();
    std::filesystem::remove(path);
}

} // namespace
