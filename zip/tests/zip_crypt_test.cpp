#include "zip/tests/zip_test_util.h"
#include "zip/zip_archive.h"
#include "zip/zip_crypt.h"

namespace {

CZipByteBuffer Password(const std::string& text) {
    CZipByteBuffer b;
    b.Assign(text.data(), static_cast<uint32_t>(text.size()));
    return b;
}

TEST(ZipCrypt, KeysFollowThePassword) {
    struct Case {
        const char* password;
        uint32_t k0, k1, k2;
        uint8_t stream;
    } cases[] = {
        {"", 0x12345678u, 0x23456789u, 0x34567890u, 0xAB},
        {"secret", 0xDDA9E469u, 0x96212999u, 0xF9FC9651u, 0xC8},
        {"password", 0xEA9B4E4Du, 0xBA789085u, 0x5FF8707Du, 0xEE},
    };
    for (const Case& c : cases) {
        CZipCryptKeys keys;
        keys.InitKeys(Password(c.password));
        EXPECT_EQ(keys.Key(0), c.k0) << c.password;
        EXPECT_EQ(keys.Key(1), c.k1) << c.password;
        EXPECT_EQ(keys.Key(2), c.k2) << c.password;
        EXPECT_EQ(keys.DecryptByte(), c.stream) << c.password;
    }
}

TEST(ZipCrypt, EncodeAndDecodeAreInverse) {
    std::vector<uint8_t> data(3000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 31 + 7);
    std::vector<uint8_t> work = data;
    CZipCryptKeys writer, reader;
    writer.InitKeys(Password("secret"));
    reader.InitKeys(Password("secret"));
    writer.EncodeBuffer(work.data(), static_cast<uint32_t>(work.size()));
    EXPECT_NE(work, data);
    reader.DecodeBuffer(work.data(), static_cast<uint32_t>(work.size()));
    EXPECT_EQ(work, data);
}

TEST(ZipCrypt, HeadersCarryTheCheckValueAndVary) {
    const uint32_t check = 0x6DAF0000u; // a DOS time in the high word
    uint8_t first[12], second[12];
    CZipCryptKeys maker;
    maker.MakeHeader(Password("secret"), check, first);
    maker.MakeHeader(Password("secret"), check, second);
    // Seeded once: two headers made at once still differ.
    EXPECT_NE(std::vector<uint8_t>(first, first + 10), std::vector<uint8_t>(second, second + 10));

    CZipCryptKeys right, wrong;
    right.InitKeys(Password("secret"));
    EXPECT_TRUE(right.CheckHeader(first, 0x6D));
    EXPECT_EQ(first[10], 0xAF);
    wrong.InitKeys(Password("secret"));
    EXPECT_FALSE(wrong.CheckHeader(second, 0x6C));
}

TEST(ZipCrypt, PasswordRules) {
    CZipArchive archive;
    EXPECT_TRUE(archive.SetPassword("secret"));
    EXPECT_EQ(archive.GetPassword(), "secret");
    EXPECT_FALSE(archive.SetPassword("caf\xE9"));
    EXPECT_EQ(archive.GetPassword(), ""); // refused and cleared
    EXPECT_TRUE(archive.SetPassword(""));
    EXPECT_TRUE(archive.SetPassword(nullptr));
    EXPECT_EQ(archive.GetPassword(), "");

    // Refused while an entry is open.
    ASSERT_TRUE(archive.Open(ziptest::Fixture("units/basic.zip")));
    ASSERT_TRUE(archive.OpenEntry(2));
    EXPECT_FALSE(archive.SetPassword("other"));
    archive.CloseEntry(nullptr, true);
    EXPECT_TRUE(archive.SetPassword("other"));
    archive.Close();
}

} // namespace
