#include "app/logic/sort_keys.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

using Key = std::vector<uint8_t>;

// Stand-in for the locale order: letters without regard to case, and a
// hyphen ignored altogether (as word sorting does), so that the separator
// check meets a comparison that is not a byte order.
int LocaleLike(const char* a, int lengthA, const char* b, int lengthB) {
    int i = 0, j = 0;
    for (;;) {
        while (i < lengthA && a[i] == '-')
            ++i;
        while (j < lengthB && b[j] == '-')
            ++j;
        if (i == lengthA || j == lengthB)
            return (i == lengthA ? 0 : 1) - (j == lengthB ? 0 : 1);
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[j]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
}

int Everything(const char*, int, const char*, int) {
    return 0;
}

Key Encode(int by, uint64_t size, int type, uint64_t time, const char* name) {
    Key key;
    EXPECT_TRUE(EncodeSortKey(by, size, type, time, name, &key));
    return key;
}

int Compare(int by, const Key& a, const Key& b, SortNameCompareFn fn = LocaleLike) {
    return CompareSortKeys(by, a.data(), uint32_t(a.size()), b.data(), uint32_t(b.size()), fn);
}

TEST(SortKeys, LayoutOfEachSortBy) {
    struct Case {
        int by;
        Key expected;
    } cases[] = {
        {1, {'a', '.', 'b', 0}},
        {2, {0x04, 0x03, 0x02, 0x01, 0x08, 0x07, 0x06, 0x05, 'a', '.', 'b', 0}},
        {3, {6, 'a', '.', 'b', 0}},
        {4, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 'a', '.', 'b', 0}},
        {9, {'a', '.', 'b', 0}}, // unknown sort-by: by name
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.by);
        const Key key = Encode(c.by, 0x0506070801020304ull, 6, 0x8877665544332211ull, "a.b");
        EXPECT_EQ(c.expected, key);
        EXPECT_STREQ("a.b", SortKeyText(c.by, key.data(), uint32_t(key.size())));
    }
    Key key;
    EXPECT_FALSE(EncodeSortKey(1, 0, 0, 0, nullptr, &key));
    const uint8_t cut[] = {1, 2, 3};
    EXPECT_EQ(nullptr, SortKeyText(2, cut, 3)); // shorter than its prefix
    const uint8_t unterminated[] = {'a', 'b'};
    EXPECT_EQ(nullptr, SortKeyText(1, unterminated, 2));
}

TEST(SortKeys, OrderOfEachSortBy) {
    struct Case {
        const char* what;
        int by;
        Key smaller;
        Key larger;
    } cases[] = {
        {"locale order, not bytes", 1, Encode(1, 0, 0, 0, "a.bmp"), Encode(1, 0, 0, 0, "B.gif")},
        {"size before name", 2, Encode(2, 10, 0, 0, "z.bmp"), Encode(2, 11, 0, 0, "a.bmp")},
        {"size as unsigned 64 bits", 2, Encode(2, 0x7FFFFFFFFFFFFFFFull, 0, 0, "a"),
         Encode(2, 0x8000000000000000ull, 0, 0, "a")},
        {"size tie by name", 2, Encode(2, 10, 0, 0, "a.bmp"), Encode(2, 10, 0, 0, "B.bmp")},
        {"type id: BMP before JPEG", 3, Encode(3, 0, 1, 0, "z.bmp"), Encode(3, 0, 6, 0, "a.jpg")},
        {"type tie by name", 3, Encode(3, 0, 6, 0, "a.jpg"), Encode(3, 0, 6, 0, "b.jpg")},
        {"date by the high half", 4, Encode(4, 0, 0, 0x00000001FFFFFFFFull, "z"),
         Encode(4, 0, 0, 0x0000000200000000ull, "a")},
        {"date tie by name", 4, Encode(4, 0, 0, 5, "a"), Encode(4, 0, 0, 5, "b")},
        {"equal for the locale, kept apart by bytes", 1, Encode(1, 0, 0, 0, "A.bmp"),
         Encode(1, 0, 0, 0, "a.bmp")},
        {"hyphen ignored, kept apart by bytes", 1, Encode(1, 0, 0, 0, "a-b"),
         Encode(1, 0, 0, 0, "ab")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_LT(Compare(c.by, c.smaller, c.larger), 0);
        EXPECT_GT(Compare(c.by, c.larger, c.smaller), 0);
        EXPECT_EQ(0, Compare(c.by, c.smaller, c.smaller));
    }
    // A compare that finds every name equal still keeps different names apart.
    EXPECT_NE(0, Compare(1, Encode(1, 0, 0, 0, "x"), Encode(1, 0, 0, 0, "y"), Everything));
}

TEST(SortKeys, SeparatorLengthOrdersBothSides) {
    struct Case {
        const char* what;
        int by;
        Key left;
        Key right;
        uint32_t expected;
    } cases[] = {
        {"names differ at the first byte", 1, Encode(1, 0, 0, 0, "apple"),
         Encode(1, 0, 0, 0, "brick"), 1},
        {"shared leading bytes", 1, Encode(1, 0, 0, 0, "apple"), Encode(1, 0, 0, 0, "apricot"), 3},
        {"sizes differ", 2, Encode(2, 1, 0, 0, "zzz"), Encode(2, 2, 0, 0, "aaa"), 8},
        {"same size", 2, Encode(2, 7, 0, 0, "apple"), Encode(2, 7, 0, 0, "apricot"), 11},
        {"types differ", 3, Encode(3, 0, 1, 0, "z"), Encode(3, 0, 3, 0, "a"), 1},
        {"same type", 3, Encode(3, 0, 3, 0, "ab"), Encode(3, 0, 3, 0, "ac"), 3},
        {"dates differ", 4, Encode(4, 0, 0, 100, "b"), Encode(4, 0, 0, 200, "a"), 8},
        {"same date", 4, Encode(4, 0, 0, 100, "b1"), Encode(4, 0, 0, 100, "b2"), 10},
        // "ab" < "a-c" for a locale that ignores the hyphen, but the cut "a-"
        // would sort before "ab": the whole right key is kept.
        {"cut that the locale would misorder", 1, Encode(1, 0, 0, 0, "ab"),
         Encode(1, 0, 0, 0, "a-c"), 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_LT(Compare(c.by, c.left, c.right), 0);
        const uint32_t n =
            SortKeySeparatorLength(c.by, c.left.data(), uint32_t(c.left.size()), c.right.data(),
                                   uint32_t(c.right.size()), LocaleLike);
        EXPECT_EQ(c.expected, n);
        const Key cut(c.right.begin(), c.right.begin() + n);
        EXPECT_LT(Compare(c.by, c.left, cut), 0);
        EXPECT_LE(Compare(c.by, cut, c.right), 0);
    }
}

} // namespace
