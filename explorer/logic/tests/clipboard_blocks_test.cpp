// The thumbnail list's clipboard and drag blocks, byte for byte: the file
// drop list, the favorites and zip item lists and the preferred drop effect,
// including paths long enough to fill every byte of the traditional room.
#include "explorer/logic/clipboard_blocks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

Bytes U32(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

Bytes Text(const std::string& s) {
    Bytes bytes(s.begin(), s.end());
    bytes.push_back(0);
    return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The bytes expected: the given start, zero-filled to size.
Bytes Padded(Bytes start, size_t size) {
    start.resize(size, 0);
    return start;
}

const std::string kLongest = "C:\\" + std::string(256, 'p'); // 259 characters

TEST(FileDropBlocks, HoldTheHeaderThePathsInOrderAndAFinalZeroInTheirRoom) {
    const Bytes header = Join({U32(20), U32(0), U32(0), U32(0), U32(0)});
    struct Case {
        const char* name;
        Strings paths;
        Bytes expected;
    } cases[] = {
        {"one path in 20 + 260 bytes",
         {"C:\\pics\\a.jpg"},
         Padded(Join({header, Text("C:\\pics\\a.jpg"), {0}}), 280)},
        {"the selection's order is kept",
         {"C:\\b.png", "C:\\a.bmp", "D:\\c.gif"},
         Padded(Join({header, Text("C:\\b.png"), Text("C:\\a.bmp"), Text("D:\\c.gif"), {0}}),
                20 + 3 * 260)},
        {"a path of 259 characters needs one byte more than its room",
         {kLongest},
         Join({header, Text(kLongest), {0}})},
        {"two of them need one byte past 20 + 520",
         {kLongest, kLongest},
         Join({header, Text(kLongest), Text(kLongest), {0}})},
        {"one short path leaves room for a long one",
         {"C:\\a", kLongest},
         Padded(Join({header, Text("C:\\a"), Text(kLongest), {0}}), 20 + 2 * 260)},
    };
    for (const Case& c : cases) {
        const Bytes block = BuildFileDropBlock(c.paths);
        EXPECT_EQ(c.expected, block) << c.name;
        EXPECT_EQ(c.paths, ReadZeroSeparatedList(block.data() + 20, block.size() - 20)) << c.name;
    }
}

TEST(FavoritesBlocks, HoldTheFolderIdTheCountAndThePaths) {
    struct Case {
        const char* name;
        uint32_t id;
        Strings paths;
        Bytes expected;
    } cases[] = {
        {"two paths of folder 7 in 8 + 520 bytes",
         7,
         {"C:\\a.jpg", "E:\\x\\b.png"},
         Padded(Join({U32(7), U32(2), Text("C:\\a.jpg"), Text("E:\\x\\b.png"), {0}}), 8 + 520)},
        {"a large id keeps all four bytes",
         0x12345678u,
         {"C:\\a"},
         Padded(Join({U32(0x12345678u), U32(1), Text("C:\\a"), {0}}), 8 + 260)},
        {"the longest path grows the block by its final zero",
         3,
         {kLongest},
         Join({U32(3), U32(1), Text(kLongest), {0}})},
    };
    for (const Case& c : cases) {
        const Bytes block = BuildFavoritesBlock(c.id, c.paths);
        EXPECT_EQ(c.expected, block) << c.name;
        EXPECT_EQ(c.paths, ReadZeroSeparatedList(block.data() + 8, block.size() - 8)) << c.name;
    }
}

TEST(ZipItemBlocks, HoldTheArchiveThenEachEntryPathInsideIt) {
    struct Case {
        const char* name;
        std::string archive;
        Strings entries;
        Bytes expected;
    } cases[] = {
        {"entries of the archive's root in 260 + 260 n bytes",
         "C:\\z\\pics.zip",
         {"a.jpg", "b.png"},
         Padded(Join({Text("C:\\z\\pics.zip"), Text("a.jpg"), Text("b.png"), {0}}), 3 * 260)},
        {"entries of an inner folder",
         "C:\\p.zip",
         {"trip\\day 1\\c.jpg"},
         Padded(Join({Text("C:\\p.zip"), Text("trip\\day 1\\c.jpg"), {0}}), 2 * 260)},
        {"a longest archive path and entry need one byte more",
         kLongest,
         {std::string(259, 'e')},
         Join({Text(kLongest), Text(std::string(259, 'e')), {0}})},
    };
    for (const Case& c : cases) {
        const Bytes block = BuildZipItemsBlock(c.archive, c.entries);
        EXPECT_EQ(c.expected, block) << c.name;
        Strings back = ReadZeroSeparatedList(block.data(), block.size());
        ASSERT_FALSE(back.empty()) << c.name;
        EXPECT_EQ(c.archive, back.front()) << c.name;
        EXPECT_EQ(c.entries, Strings(back.begin() + 1, back.end())) << c.name;
    }
}

TEST(ArchiveEntryPaths, JoinTheInnerFolderAndTheNameWithOneBackslash) {
    struct Case {
        std::string inner, name, joined;
    } cases[] = {
        {"", "a.jpg", "a.jpg"},
        {"trip\\", "a.jpg", "trip\\a.jpg"},
        {"trip\\day\\", "a.jpg", "trip\\day\\a.jpg"},
        {"trip", "a.jpg", "trip\\a.jpg"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.joined, JoinArchiveEntryPath(c.inner, c.name)) << c.inner;
}

TEST(PreferredDropEffects, AreOneForACopyAndTwoForACut) {
    EXPECT_EQ(Bytes({1, 0, 0, 0}), BuildPreferredDropEffectBlock(true));
    EXPECT_EQ(Bytes({2, 0, 0, 0}), BuildPreferredDropEffectBlock(false));
}

TEST(ZeroSeparatedLists, StopAtTheEmptyStringOrTheBlocksEndWithoutPassingIt) {
    struct Case {
        const char* name;
        Bytes data;
        Strings strings;
    } cases[] = {
        {"two strings and the end", Join({Text("a"), Text("bc"), {0}}), {"a", "bc"}},
        {"an empty block", {}, {}},
        {"only the final zero", {0}, {}},
        {"bytes after the end are not read", Join({Text("a"), {0}, Text("b")}), {"a"}},
        {"a string without its zero is dropped", Join({Text("a"), {'b', 'c'}}), {"a"}},
        {"no zero at all", {'x', 'y'}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.strings, ReadZeroSeparatedList(c.data.data(), c.data.size())) << c.name;
}

} // namespace
