#include "app/shell_id_list.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Builds a list from item payloads: each item is its 2-byte count, then the
// payload; a 2-byte zero ends the list.
Bytes MakeList(const std::vector<std::string>& items) {
    Bytes bytes;
    for (const std::string& item : items) {
        const size_t size = item.size() + 2;
        bytes.push_back(static_cast<uint8_t>(size));
        bytes.push_back(static_cast<uint8_t>(size >> 8));
        bytes.insert(bytes.end(), item.begin(), item.end());
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

const _ITEMIDLIST* AsList(const Bytes& bytes) {
    return reinterpret_cast<const _ITEMIDLIST*>(bytes.data());
}

// The bytes of a list made by the functions under test, terminator included;
// frees it.
Bytes Take(_ITEMIDLIST* list) {
    if (!list)
        return Bytes();
    const uint32_t size = GetIdListSize(list) + 2;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(list);
    Bytes bytes(p, p + size);
    FreeIdList(list);
    return bytes;
}

const Bytes kEmpty = MakeList({});
const Bytes kAbc = MakeList({"a", "bb", "ccc"}); // item sizes 3, 4, 5
const Bytes kDe = MakeList({"dddd", "e"});

TEST(ShellIdList, SizeCountAndWalk) {
    struct Case {
        const char* what;
        const _ITEMIDLIST* list;
        uint32_t size;
        int count;
    };
    const Case cases[] = {
        {"null", nullptr, 0, 0},
        {"empty", AsList(kEmpty), 0, 0},
        {"three items", AsList(kAbc), 12, 3},
        {"two items", AsList(kDe), 9, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.size, GetIdListSize(c.list)) << c.what;
        EXPECT_EQ(c.count, CountIdListItems(c.list)) << c.what;
    }

    const uint8_t* base = kAbc.data();
    _ITEMIDLIST* second = GetNextIdListItem(AsList(kAbc));
    EXPECT_EQ(base + 3, reinterpret_cast<uint8_t*>(second));
    _ITEMIDLIST* third = GetNextIdListItem(second);
    EXPECT_EQ(base + 7, reinterpret_cast<uint8_t*>(third));
    EXPECT_EQ(nullptr, GetNextIdListItem(third));
    EXPECT_EQ(nullptr, GetNextIdListItem(nullptr));
    EXPECT_EQ(nullptr, GetNextIdListItem(AsList(kEmpty)));
    EXPECT_EQ(third, FindLastIdListItem(AsList(kAbc)));
    EXPECT_EQ(nullptr, FindLastIdListItem(nullptr));
}

TEST(ShellIdList, ACountOfOneEndsTheList) {
    Bytes damaged = MakeList({"a", "bb"});
    damaged[3] = 1; // second item claims one byte: it cannot hold its own count
    damaged[4] = 0;
    EXPECT_EQ(1, CountIdListItems(AsList(damaged)));
    EXPECT_EQ(3u, GetIdListSize(AsList(damaged)));
    EXPECT_EQ(nullptr, GetNextIdListItem(AsList(damaged)));
}

TEST(ShellIdList, CombineAndCopy) {
    EXPECT_EQ(MakeList({"a", "bb", "ccc", "dddd", "e"}),
              Take(CombineIdLists(AsList(kAbc), AsList(kDe))));
    EXPECT_EQ(kAbc, Take(CombineIdLists(AsList(kAbc), AsList(kEmpty))));
    EXPECT_EQ(kDe, Take(CombineIdLists(nullptr, AsList(kDe))));
    EXPECT_EQ(nullptr, CombineIdLists(AsList(kEmpty), AsList(kEmpty)));
    EXPECT_EQ(nullptr, CombineIdLists(nullptr, nullptr));

    _ITEMIDLIST* copy = CopyIdList(AsList(kAbc));
    ASSERT_NE(nullptr, copy);
    EXPECT_NE(static_cast<const void*>(kAbc.data()), static_cast<const void*>(copy));
    EXPECT_EQ(kAbc, Take(copy));
    EXPECT_EQ(nullptr, CopyIdList(nullptr));
}

TEST(ShellIdList, CopyPrefix) {
    struct Case {
        int count;
        Bytes expected; // empty: null
    };
    const Case cases[] = {
        {1, MakeList({"a"})}, {2, MakeList({"a", "bb"})}, {3, kAbc}, {4, Bytes()}, {0, Bytes()},
        {-1, Bytes()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Take(CopyIdListPrefix(c.count, AsList(kAbc)))) << c.count;
    EXPECT_EQ(nullptr, CopyIdListPrefix(1, nullptr));
    EXPECT_EQ(nullptr, CopyIdListPrefix(1, AsList(kEmpty)));
}

TEST(ShellIdList, ParsesAPathThroughTheDesktopFolder) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    char windows[MAX_PATH] = {};
    ASSERT_NE(0u, GetWindowsDirectoryA(windows, MAX_PATH));
    _ITEMIDLIST* list = ParsePathToIdList(windows);
    ASSERT_NE(nullptr, list);
    EXPECT_GE(CountIdListItems(list), 2); // drive, then folder
    char back[MAX_PATH] = {};
    EXPECT_TRUE(SHGetPathFromIDListA(list, back));
    EXPECT_EQ(0, lstrcmpiA(windows, back));

    // The last item alone, appended to the parent's prefix, names the same place.
    const int count = CountIdListItems(list);
    _ITEMIDLIST* parent = CopyIdListPrefix(count - 1, list);
    ASSERT_NE(nullptr, parent);
    _ITEMIDLIST* rebuilt = CombineIdLists(parent, FindLastIdListItem(list));
    ASSERT_NE(nullptr, rebuilt);
    EXPECT_EQ(GetIdListSize(list), GetIdListSize(rebuilt));
    EXPECT_EQ(0, std::memcmp(list, rebuilt, GetIdListSize(list)));
    FreeIdList(rebuilt);
    FreeIdList(parent);
    FreeIdList(list);

    EXPECT_EQ(nullptr, ParsePathToIdList("C:\\no such folder\\at all\\x"));
    EXPECT_EQ(nullptr, ParsePathToIdList(nullptr));
    CoUninitialize();
}

} // namespace
