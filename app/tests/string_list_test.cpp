#include "app/string_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::string> Items(const CStringList& list) {
    std::vector<std::string> items;
    for (int i = 0; i < list.GetCount(); ++i)
        items.push_back(list.GetAt(i));
    return items;
}

using Texts = std::vector<std::string>;

TEST(StringList, InsertGrowsByDoublingAndKeepsOrder) {
    CStringList list;
    EXPECT_EQ(0, list.GetCapacity());
    ASSERT_TRUE(list.InsertCopy("b"));
    EXPECT_EQ(2, list.GetCapacity());
    ASSERT_TRUE(list.InsertCopy("d", -1));
    EXPECT_EQ(2, list.GetCapacity());
    ASSERT_TRUE(list.InsertCopy("a", 0));
    EXPECT_EQ(4, list.GetCapacity());
    ASSERT_TRUE(list.InsertCopy("c", 2));
    ASSERT_TRUE(list.InsertCopy("e", 4));
    EXPECT_EQ(8, list.GetCapacity());
    EXPECT_EQ((Texts{"a", "b", "c", "d", "e"}), Items(list));
}

TEST(StringList, RefusesBadIndexesAndNullTexts) {
    CStringList list;
    ASSERT_TRUE(list.InsertCopy("x"));
    EXPECT_FALSE(list.InsertCopy("y", 2));
    EXPECT_FALSE(list.InsertCopy("y", -2));
    EXPECT_FALSE(list.InsertCopy(nullptr));
    EXPECT_FALSE(list.SetAt(1, "y"));
    EXPECT_FALSE(list.SetAt(-1, "y"));
    EXPECT_FALSE(list.SetAt(0, nullptr));
    EXPECT_FALSE(list.RemoveAt(1));
    EXPECT_FALSE(list.RemoveAt(-1));
    EXPECT_EQ(nullptr, list.GetAt(1));
    EXPECT_EQ(nullptr, list.GetAt(-1));
    EXPECT_EQ(-1, list.Find(nullptr));
    EXPECT_EQ(Texts{"x"}, Items(list));
}

TEST(StringList, FindAndRemoveIgnoreLetterCase) {
    CStringList list;
    for (const char* text : {"abc", "C:\\Pictures\\One.JPG", "abc", "xyz"})
        ASSERT_TRUE(list.InsertCopy(text));
    struct Case {
        const char* text;
        int index;
    };
    const Case cases[] = {
        {"ABC", 0}, {"abc", 0}, {"c:\\pictures\\one.jpg", 1}, {"XyZ", 3}, {"ab", -1}, {"", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.index, list.Find(c.text)) << c.text;

    EXPECT_EQ(0, list.Remove("ABC")); // the first of the two equal texts
    EXPECT_EQ((Texts{"C:\\Pictures\\One.JPG", "abc", "xyz"}), Items(list));
    EXPECT_EQ(-1, list.Remove("missing"));
    ASSERT_TRUE(list.RemoveAt(2));
    EXPECT_EQ((Texts{"C:\\Pictures\\One.JPG", "abc"}), Items(list));
}

TEST(StringList, OwnsCopiesOfItsStrings) {
    char buffer[16];
    std::strcpy(buffer, "first");
    CStringList list;
    ASSERT_TRUE(list.InsertCopy(buffer));
    std::strcpy(buffer, "second");
    ASSERT_TRUE(list.InsertCopy(buffer));
    EXPECT_NE(static_cast<const void*>(buffer), static_cast<const void*>(list.GetAt(1)));
    std::strcpy(buffer, "third");
    ASSERT_TRUE(list.SetAt(0, buffer));
    buffer[0] = 'X';
    EXPECT_EQ((Texts{"third", "second"}), Items(list));

    CStringList moved(std::move(list));
    EXPECT_EQ(0, list.GetCount());
    EXPECT_EQ(0, list.GetCapacity());
    EXPECT_EQ((Texts{"third", "second"}), Items(moved));

    CStringList assigned;
    ASSERT_TRUE(assigned.InsertCopy("old"));
    assigned = std::move(moved);
    EXPECT_EQ((Texts{"third", "second"}), Items(assigned));

    assigned.RemoveAll();
    EXPECT_EQ(0, assigned.GetCount());
    EXPECT_EQ(0, assigned.GetCapacity());
    ASSERT_TRUE(assigned.InsertCopy("again")); // usable after RemoveAll
    EXPECT_EQ(Texts{"again"}, Items(assigned));
}

} // namespace
