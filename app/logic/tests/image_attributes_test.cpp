#include "app/logic/image_attributes.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "imaging/byte_stream.h"

namespace {

std::vector<uint8_t> Bytes(const CByteStream& stream) {
    return std::vector<uint8_t>(stream.buffer, stream.buffer + stream.size);
}

TEST(ImageAttributes, SerialisesArtistDescriptionKeywordsThenTheDate) {
    CImageAttributes attributes;
    attributes.path = "C:\\x.jpg"; // not part of the value
    attributes.artist = "Al";
    attributes.description = "";
    attributes.keywords = "k1,k2";
    attributes.date = 0x01020304;
    CByteStream stream;
    ASSERT_TRUE(attributes.Store(&stream));
    const std::vector<uint8_t> golden = {2, 0, 0,   0,   'A', 'l', 0,   0, 0, 0, 5, 0,
                                         0, 0, 'k', '1', ',', 'k', '2', 4, 3, 2, 1};
    EXPECT_EQ(golden, Bytes(stream));

    CByteStream in;
    in.AttachReadOnly(golden.data(), static_cast<uint32_t>(golden.size()));
    CImageAttributes loaded;
    ASSERT_TRUE(loaded.Load(&in));
    EXPECT_EQ("Al", loaded.artist);
    EXPECT_EQ("", loaded.description);
    EXPECT_EQ("k1,k2", loaded.keywords);
    EXPECT_EQ(0x01020304u, loaded.date);
}

TEST(ImageAttributes, DamagedValuesAreRefusedAndLeaveNothing) {
    const std::vector<std::vector<uint8_t>> damaged = {
        {},                                         // empty
        {2, 0, 0, 0, 'A'},                          // string cut short
        {0xFF, 0xFF, 0xFF, 0x7F, 'A', 'l'},         // length past the end
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2}, // date cut short
    };
    for (const auto& value : damaged) {
        CByteStream in;
        in.AttachReadOnly(value.data(), static_cast<uint32_t>(value.size()));
        CImageAttributes loaded;
        loaded.artist = "before";
        EXPECT_FALSE(loaded.Load(&in));
        EXPECT_EQ("", loaded.artist);
        EXPECT_EQ(0u, loaded.date);
    }
}

TEST(ImageAttributes, KeysNameTheFolderIdAndTheFile) {
    EXPECT_EQ("#0#", FolderAttributesKey(0));
    EXPECT_EQ("#12#a.jpg", FileAttributesKey(12, "a.jpg"));
    struct Case {
        const char* key;
        bool ok;
        int32_t id;
        const char* name;
    } cases[] = {
        {"#12#a.jpg", true, 12, "a.jpg"}, {"#0#", true, 0, ""},  {"#-1#x", true, -1, "x"},
        {"12#a.jpg", false, 0, ""},       {"##a", false, 0, ""}, {"#1a#x", false, 0, ""},
        {"#99999999999#x", false, 0, ""}, {"#7", false, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        int32_t id = 0;
        std::string name;
        EXPECT_EQ(c.ok, ParseAttributesKey(c.key, &id, &name));
        if (c.ok) {
            EXPECT_EQ(c.id, id);
            EXPECT_EQ(c.name, name);
        }
    }
}

bool EqualNoCase(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

TEST(ImageAttributes, AFolderCoversItselfAndWhatLiesBelowButNotItsSiblings) {
    struct Case {
        const char* root;
        const char* path;
        bool covered;
    } cases[] = {
        {"C:\\a", "C:\\a", true},      {"C:\\a", "c:\\A\\x", true}, {"C:\\a", "C:\\ab", false},
        {"C:\\a", "C:\\ab\\x", false}, {"C:\\a", "C:\\", false},    {"C:\\", "C:\\ab", true},
        {"", "C:\\a", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.root) + " / " + c.path);
        EXPECT_EQ(c.covered, PathIsAtOrBelow(c.root, c.path, EqualNoCase));
    }
}

} // namespace
