// The pixel limit every decode runs under, across all raster readers as the
// registry hands them out: a header that claims 16000 x 16000 pixels and
// carries no data is refused before anything of its size is allocated, by
// full, scaled and header-only reads alike, and the size it claimed stays in
// the image to tell the user why; an image exactly at the limit still opens.
//
// Allocations are counted by a hook in this test binary. Under the address
// sanitizer (the native build) the sanitizer's allocator hook sees every
// block, the C libraries' and the pixel buffers included; elsewhere the
// replaced operator new sees the C++ allocations.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "imaging/codecs/codec_registry.h"
#include "imaging/codecs/tests/codec_test_support.h"
#include "imaging/codecs/tests/own_test_support.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"

#if defined(__SANITIZE_ADDRESS__)
#define VXP_COUNT_WITH_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VXP_COUNT_WITH_SANITIZER 1
#endif
#endif

namespace {

std::atomic<bool> g_counting{false};
std::atomic<uint64_t> g_bytes{0};

void Count(size_t bytes) {
    if (g_counting.load(std::memory_order_relaxed))
        g_bytes.fetch_add(bytes, std::memory_order_relaxed);
}

} // namespace

#ifdef VXP_COUNT_WITH_SANITIZER
// The sanitizer runtime's allocator hook (its header is not always installed).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));

namespace {
void MallocHook(const volatile void*, size_t size) {
    Count(size);
}
void FreeHook(const volatile void*) {}
const int g_hooked = __sanitizer_install_malloc_and_free_hooks(&MallocHook, &FreeHook);
} // namespace
#else
void* operator new(size_t size) {
    Count(size);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) {
    return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    Count(size);
    return std::malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}
#endif

namespace {

using codec_test::ScratchFolder;
using codec_test::WriteBytes;
using own_test::Append;
using own_test::Be;
using own_test::Le;

// Bytes allocated (never subtracting frees) while call runs.
template <class Call> uint64_t BytesAllocatedBy(Call call) {
    g_bytes = 0;
    g_counting = true;
    call();
    g_counting = false;
    return g_bytes.load();
}

// Far below one row of a 16000-pixel-wide image at 24 bpp (48,000 bytes),
// let alone its 256 million pixels, yet room for a library's fixed set-up.
constexpr uint64_t kFewKilobytes = 40 * 1024;

constexpr uint32_t kHuge = 16000;

std::vector<uint8_t> Bmp(uint32_t width, uint32_t height, uint32_t bitCount) {
    std::vector<uint8_t> b;
    Append(b, "BM");
    Le(b, 54, 4); // file size (not trusted)
    Le(b, 0, 4);
    Le(b, 54, 4); // pixels right after the headers: none there
    Le(b, 40, 4);
    Le(b, width, 4);
    Le(b, height, 4);
    Le(b, 1, 2);
    Le(b, bitCount, 2);
    Le(b, 0, 4); // no compression
    for (int i = 0; i < 5; ++i)
        Le(b, 0, 4);
    if (bitCount == 1) {
        Le(b, 0, 4); // black
        Le(b, 0x00FFFFFF, 4);
    }
    return b;
}

std::vector<uint8_t> Gif() {
    std::vector<uint8_t> b;
    Append(b, "GIF89a");
    Le(b, kHuge, 2);
    Le(b, kHuge, 2);
    b.push_back(0x80); // a global table of two entries
    b.push_back(0);
    b.push_back(0);
    for (int i = 0; i < 6; ++i)
        b.push_back(static_cast<uint8_t>(i * 40));
    b.push_back(0x2C);
    Le(b, 0, 2);
    Le(b, 0, 2);
    Le(b, kHuge, 2);
    Le(b, kHuge, 2);
    b.push_back(0);
    return b;
}

void PngChunk(std::vector<uint8_t>& b, const char* type, const std::vector<uint8_t>& data) {
    Be(b, static_cast<uint32_t>(data.size()), 4);
    const size_t typeAt = b.size();
    Append(b, type);
    b.insert(b.end(), data.begin(), data.end());
    const uLong crc = crc32(0, b.data() + typeAt, static_cast<uInt>(b.size() - typeAt));
    Be(b, static_cast<uint32_t>(crc), 4);
}

// A valid IHDR, then the header of an empty IDAT: the library reads the
// header up to the pixel data and no further.
std::vector<uint8_t> Png() {
    std::vector<uint8_t> b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    Be(ihdr, kHuge, 4);
    Be(ihdr, kHuge, 4);
    ihdr.push_back(8); // bit depth
    ihdr.push_back(2); // RGB
    ihdr.push_back(0);
    ihdr.push_back(0);
    ihdr.push_back(0);
    PngChunk(b, "IHDR", ihdr);
    PngChunk(b, "IDAT", {});
    return b;
}

// One directory entry whose bitmap claims 16000 x 16000 (height doubled for
// the mask); the directory itself cannot say more than 256.
std::vector<uint8_t> Ico() {
    std::vector<uint8_t> b;
    Le(b, 0, 2);
    Le(b, 1, 2);
    Le(b, 1, 2);
    b.push_back(0);
    b.push_back(0);
    b.push_back(0);
    b.push_back(0);
    Le(b, 1, 2);
    Le(b, 24, 2);
    Le(b, 40, 4);
    Le(b, 22, 4);
    Le(b, 40, 4);
    Le(b, kHuge, 4);
    Le(b, 2 * kHuge, 4);
    Le(b, 1, 2);
    Le(b, 24, 2);
    for (int i = 0; i < 6; ++i)
        Le(b, 0, 4);
    return b;
}

// Start of image, a frame header and a scan header, and no scan data.
std::vector<uint8_t> Jpeg() {
    std::vector<uint8_t> b = {0xFF, 0xD8, 0xFF, 0xC0};
    Be(b, 11, 2);
    b.push_back(8);
    Be(b, kHuge, 2);
    Be(b, kHuge, 2);
    b.push_back(1);
    b.push_back(1);
    b.push_back(0x11);
    b.push_back(0);
    b.push_back(0xFF);
    b.push_back(0xDA);
    Be(b, 8, 2);
    b.push_back(1);
    b.push_back(1);
    b.push_back(0);
    b.push_back(0);
    b.push_back(63);
    b.push_back(0);
    return b;
}

std::vector<uint8_t> Pcx() {
    std::vector<uint8_t> b(128, 0);
    b[0] = 10;
    b[1] = 5;
    b[2] = 1;
    b[3] = 8;
    b[8] = (kHuge - 1) & 0xFF;
    b[9] = (kHuge - 1) >> 8;
    b[10] = (kHuge - 1) & 0xFF;
    b[11] = (kHuge - 1) >> 8;
    b[65] = 3;
    b[66] = kHuge & 0xFF;
    b[67] = kHuge >> 8;
    return b;
}

std::vector<uint8_t> Psd() {
    std::vector<uint8_t> b;
    Append(b, "8BPS");
    Be(b, 1, 2);
    b.resize(b.size() + 6, 0);
    Be(b, 3, 2);
    Be(b, kHuge, 4);
    Be(b, kHuge, 4);
    Be(b, 8, 2);
    Be(b, 3, 2);
    return b;
}

// The signature and an attributes block, and no channel.
std::vector<uint8_t> Psp() {
    std::vector<uint8_t> b;
    Append(b, "Paint Shop Pro Image File\n\x1A");
    b.resize(32, 0);
    Le(b, 5, 2);
    Le(b, 0, 2);
    Append(b, std::string("~BK\0", 4));
    Le(b, 0, 2);
    Le(b, 30, 4);
    Le(b, 30, 4);
    Le(b, kHuge, 4);
    Le(b, kHuge, 4);
    b.resize(b.size() + 9, 0);
    Le(b, 0, 2); // no compression
    Le(b, 8, 2);
    b.resize(b.size() + 5, 0);
    return b;
}

std::vector<uint8_t> Ras() {
    std::vector<uint8_t> b;
    Be(b, 0x59A66A95, 4);
    Be(b, kHuge, 4);
    Be(b, kHuge, 4);
    Be(b, 24, 4);
    Be(b, 0, 4);
    Be(b, 1, 4);
    Be(b, 0, 4);
    Be(b, 0, 4);
    return b;
}

std::vector<uint8_t> Tga() {
    std::vector<uint8_t> b = {0, 0, 2};
    b.resize(12, 0);
    Le(b, kHuge, 2);
    Le(b, kHuge, 2);
    b.push_back(24);
    b.push_back(0);
    return b;
}

// A directory entry of one value; a short value sits at the start of the
// value field in either byte order.
void TiffEntry(std::vector<uint8_t>& b, bool motorola, uint16_t tag, uint16_t type,
               uint32_t value) {
    auto put = [&](uint32_t v, int n) { motorola ? Be(b, v, n) : Le(b, v, n); };
    put(tag, 2);
    put(type, 2);
    put(1, 4);
    if (type == 3) {
        put(value, 2);
        put(0, 2);
    } else {
        put(value, 4);
    }
}

// One directory of a grey page whose single strip lies past the end.
std::vector<uint8_t> Tiff(bool motorola) {
    std::vector<uint8_t> b;
    Append(b, motorola ? "MM" : "II");
    motorola ? Be(b, 42, 2) : Le(b, 42, 2);
    motorola ? Be(b, 8, 4) : Le(b, 8, 4);
    motorola ? Be(b, 9, 2) : Le(b, 9, 2);
    TiffEntry(b, motorola, 256, motorola ? 3 : 4, kHuge);
    TiffEntry(b, motorola, 257, 4, kHuge);
    TiffEntry(b, motorola, 258, 3, 8);
    TiffEntry(b, motorola, 259, 3, 1);
    TiffEntry(b, motorola, 262, 3, 1);
    TiffEntry(b, motorola, 273, 4, 4096);
    TiffEntry(b, motorola, 277, 3, 1);
    TiffEntry(b, motorola, 278, 4, kHuge);
    TiffEntry(b, motorola, 279, 4, kHuge * kHuge);
    Le(b, 0, 4);
    return b;
}

void MultiByte(std::vector<uint8_t>& b, uint32_t value) {
    if (value >= 0x80)
        MultiByte(b, value >> 7);
    b.push_back(static_cast<uint8_t>(value & 0x7F));
}

std::vector<uint8_t> Wbmp(uint32_t width, uint32_t height) {
    std::vector<uint8_t> b = {0, 0};
    // Every group but the last carries the continuation bit.
    std::vector<uint8_t> w, h;
    MultiByte(w, width);
    MultiByte(h, height);
    for (size_t i = 0; i + 1 < w.size(); ++i)
        w[i] |= 0x80;
    for (size_t i = 0; i + 1 < h.size(); ++i)
        h[i] |= 0x80;
    b.insert(b.end(), w.begin(), w.end());
    b.insert(b.end(), h.begin(), h.end());
    return b;
}

enum class ReadKind { kFull, kScaled, kHeaderOnly };

const char* KindName(ReadKind kind) {
    return kind == ReadKind::kFull ? "full" : kind == ReadKind::kScaled ? "scaled" : "header-only";
}

// Reads path with the registry's reader for its type; the image is made
// before the count starts, like the caller's own image is.
bool ReadAs(const std::string& path, ReadKind kind, CImageObject* image, uint64_t* bytes) {
    std::unique_ptr<CImageReader> reader = NewImageReader(DetectImageFileType(path.c_str()));
    if (!reader)
        return false;
    bool ok = false;
    *bytes = BytesAllocatedBy([&] {
        switch (kind) {
        case ReadKind::kFull:
            ok = reader->Read(path.c_str(), image);
            break;
        case ReadKind::kScaled:
            reader->m_maxWidth = 160;
            reader->m_maxHeight = 160;
            ok = reader->ReadScaled(path.c_str(), image);
            break;
        case ReadKind::kHeaderOnly:
            image->headerOnly = true;
            ok = reader->Read(path.c_str(), image);
            break;
        }
    });
    return ok;
}

TEST(PixelLimit, EveryReaderRefusesAHugeHeaderBeforeItAllocates) {
    struct Case {
        const char* file;
        std::vector<uint8_t> bytes;
        bool keepsClaimedSize;  // the reader read a size over the limit and kept it
        bool headerOnlyAnswers; // a header-only read answers from a header that cannot lie
    };
    std::vector<Case> cases = {
        {"huge.bmp", Bmp(kHuge, kHuge, 24), true, false},
        {"huge.gif", Gif(), true, false},
        {"huge.png", Png(), true, false},
        {"huge.ico", Ico(), false, true}, // the directory says 256 x 256 at most
        {"huge.jpg", Jpeg(), true, false},
        {"huge.pcd", std::vector<uint8_t>(2048, 0), false, true}, // always 768 x 512; cut short
        {"huge.pcx", Pcx(), true, false},
        {"huge.psd", Psd(), true, false},
        {"huge.psp", Psp(), true, false},
        {"huge.ras", Ras(), true, false},
        {"huge.tga", Tga(), true, false},
        {"huge.tif", Tiff(false), true, false},
        {"huge-motorola.tif", Tiff(true), true, false},
        {"huge.wbmp", Wbmp(kHuge, kHuge), true, false},
    };
    const std::string dir = ScratchFolder("pixel_limit_huge");
    std::set<int> covered;
    for (const Case& c : cases) {
        const std::string path = dir + "/" + c.file;
        ASSERT_TRUE(WriteBytes(path, c.bytes)) << c.file;
        covered.insert(DetectImageFileType(path.c_str()));
        for (ReadKind kind : {ReadKind::kFull, ReadKind::kScaled, ReadKind::kHeaderOnly}) {
            const std::string what = std::string(c.file) + ", " + KindName(kind) + " read";
            CImageObject image(path.c_str(), nullptr);
            uint64_t bytes = 0;
            const bool ok = ReadAs(path, kind, &image, &bytes);
            const bool answers = kind == ReadKind::kHeaderOnly && c.headerOnlyAnswers;
            EXPECT_EQ(ok, answers) << what;
            EXPECT_LT(bytes, kFewKilobytes) << what;
            EXPECT_EQ(image.bits, nullptr) << what;
            if (c.keepsClaimedSize) {
                EXPECT_EQ(image.fullWidth, static_cast<int32_t>(kHuge)) << what;
                EXPECT_EQ(image.fullHeight, static_cast<int32_t>(kHuge)) << what;
                EXPECT_TRUE(ExceedsPixelLimit(image.fullWidth, image.fullHeight)) << what;
            }
        }
    }
    // A raster type added to the registry without a row here would go unchecked.
    for (int type = kFirstImageFileType; type <= kLastImageFileType; ++type) {
        if (!IsVectorImageFileType(type)) {
            EXPECT_EQ(covered.count(type), 1u) << GetImageFileTypeName(type);
        }
    }
}

TEST(PixelLimit, AnImageAtTheLimitOpensAndOnePixelRowMoreDoesNot) {
    // 16384 x 8192 is exactly the limit; 1 bpp keeps the bitmap at 16 MB.
    // Neither file holds pixel rows, which both readers take as rows left as
    // created.
    struct Case {
        const char* file;
        std::vector<uint8_t> bytes;
        bool opens;
    };
    const Case cases[] = {
        {"limit.bmp", Bmp(16384, 8192, 1), true},
        {"limit.wbmp", Wbmp(16384, 8192), true},
        {"over.bmp", Bmp(16384, 8193, 1), false},
        {"over.wbmp", Wbmp(16384, 8193), false},
    };
    ASSERT_EQ(uint64_t(16384) * 8192, kImagePixelLimit);
    const std::string dir = ScratchFolder("pixel_limit_edge");
    for (const Case& c : cases) {
        const std::string path = dir + "/" + c.file;
        ASSERT_TRUE(WriteBytes(path, c.bytes)) << c.file;
        CImageObject image(path.c_str(), nullptr);
        uint64_t bytes = 0;
        EXPECT_EQ(ReadAs(path, ReadKind::kFull, &image, &bytes), c.opens) << c.file;
        EXPECT_EQ(image.bits != nullptr, c.opens) << c.file;
        if (c.opens) {
            EXPECT_EQ(image.width, 16384) << c.file;
            EXPECT_EQ(image.height, 8192) << c.file;
            EXPECT_EQ(image.bitsPerPixel, 1) << c.file;
        } else {
            EXPECT_LT(bytes, kFewKilobytes) << c.file;
        }
    }
}

TEST(CodecRegistry, EveryTypeHasItsReaderAndTheWritableOnesAWriter) {
    for (int type = kFirstImageFileType; type <= kLastImageFileType; ++type) {
        const std::string name = GetImageFileTypeName(type);
        std::unique_ptr<CImageReader> reader = NewImageReader(type);
#ifdef _WIN32
        EXPECT_NE(reader, nullptr) << name;
#else
        EXPECT_EQ(reader != nullptr, !IsVectorImageFileType(type)) << name;
#endif
        if (reader) {
            EXPECT_EQ(reader->m_pixelLimit, kImagePixelLimit) << name;
        }
        EXPECT_EQ(NewImageWriter(type) != nullptr, IsWritableImageFileType(type)) << name;
    }
    EXPECT_EQ(NewImageReader(kFileTypeUnknown), nullptr);
    EXPECT_EQ(NewImageReader(kLastImageFileType + 1), nullptr);
    EXPECT_EQ(NewImageWriter(kFileTypeUnknown), nullptr);
}

} // namespace
