#include "app/logic/notify_entries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Seen {
    uint32_t action;
    std::string name; // ASCII names only in these tests
};

void PutU32(std::vector<uint8_t>* out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        (*out)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Builds records the way the system lays them out: Windows starts each on a
// 4-byte boundary; Wine packs them, so that a name of odd length leaves the
// next record on a 2-byte one.
std::vector<uint8_t> Records(const std::vector<Seen>& entries, size_t align = 4) {
    std::vector<uint8_t> out;
    size_t previous = 0;
    for (size_t e = 0; e < entries.size(); ++e) {
        const size_t at = out.size();
        const size_t size = (12 + entries[e].name.size() * 2 + align - 1) & ~(align - 1);
        out.resize(at + size, 0);
        if (e > 0)
            PutU32(&out, previous, static_cast<uint32_t>(at - previous));
        PutU32(&out, at + 4, entries[e].action);
        PutU32(&out, at + 8, static_cast<uint32_t>(entries[e].name.size() * 2));
        for (size_t i = 0; i < entries[e].name.size(); ++i)
            out[at + 12 + 2 * i] = static_cast<uint8_t>(entries[e].name[i]);
        previous = at;
    }
    return out;
}

std::vector<Seen> Walk(const std::vector<uint8_t>& buffer, uint32_t bytes,
                       uint32_t maxChars = 259) {
    std::vector<Seen> seen;
    ForEachNotifyEntry(buffer.data(), bytes, maxChars,
                       [&](uint32_t action, const uint16_t* name, uint32_t chars) {
                           std::string text;
                           for (uint32_t i = 0; i < chars; ++i)
                               text += static_cast<char>(name[i]);
                           seen.push_back({action, text});
                       });
    return seen;
}

TEST(NotifyEntries, RecordsAreWalkedInOrderWithRenamePairsKept) {
    const auto buffer = Records(
        {{kNotifyAdded, "a.jpg"}, {kNotifyRenamedOld, "b.jpg"}, {kNotifyRenamedNew, "dir\\c.jpg"}});
    const auto seen = Walk(buffer, static_cast<uint32_t>(buffer.size()));
    ASSERT_EQ(3u, seen.size());
    EXPECT_EQ(kNotifyAdded, seen[0].action);
    EXPECT_EQ("a.jpg", seen[0].name);
    EXPECT_EQ(kNotifyRenamedOld, seen[1].action);
    EXPECT_EQ("dir\\c.jpg", seen[2].name);
}

TEST(NotifyEntries, RecordsPackedOnTwoByteBoundariesAreAllWalked) {
    // "1160y.bmp" has nine characters: Wine puts the new half of its rename
    // 30 bytes after the old half. Stopping there lost every rename of a
    // file whose name has an odd length.
    struct Case {
        const char* what;
        std::vector<Seen> entries;
    } cases[] = {
        {"a rename of odd-length names",
         {{kNotifyRenamedOld, "1160y.bmp"}, {kNotifyRenamedNew, "1160z.bmp"}}},
        {"odd and even lengths mixed",
         {{kNotifyAdded, "a.jpg"}, {kNotifyModified, "ab.jpg"}, {kNotifyRemoved, "abc.jpg"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto buffer = Records(c.entries, 2);
        const auto seen = Walk(buffer, static_cast<uint32_t>(buffer.size()));
        ASSERT_EQ(c.entries.size(), seen.size());
        for (size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(c.entries[i].action, seen[i].action);
            EXPECT_EQ(c.entries[i].name, seen[i].name);
        }
    }
}

TEST(NotifyEntries, AnEmptyCompletionHandsOverNothing) {
    // After an overflow the system returns 0 bytes; whatever the buffer held
    // before belongs to an earlier batch and must not be replayed.
    const auto stale = Records({{kNotifyAdded, "long-gone.jpg"}});
    EXPECT_TRUE(Walk(stale, 0).empty());
}

TEST(NotifyEntries, LyingFieldsStopTheWalkInsideTheBuffer) {
    struct Case {
        const char* what;
        size_t field; // byte offset to overwrite
        uint32_t value;
        size_t expected;
    } cases[] = {
        {"name longer than the buffer", 8, 0x7FFFFFF0u, 0},
        {"next offset past the end", 0, 0x10000u, 1},
        {"next offset inside its own name", 0, 4, 0},
        {"odd next offset", 0, 31, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto buffer = Records({{kNotifyAdded, "first.jpg"}, {kNotifyRemoved, "second.jpg"}});
        PutU32(&buffer, c.field, c.value);
        EXPECT_EQ(c.expected, Walk(buffer, static_cast<uint32_t>(buffer.size())).size());
    }
    auto buffer = Records({{kNotifyAdded, "first.jpg"}, {kNotifyRemoved, "second.jpg"}});
    EXPECT_EQ(1u, Walk(buffer, 40).size()); // the byte count cuts the second record
}

TEST(NotifyEntries, NamesLongerThanTheCallersBuffersAreSkipped) {
    const auto buffer = Records({{kNotifyAdded, std::string(300, 'x')}, {kNotifyAdded, "ok.jpg"}});
    const auto seen = Walk(buffer, static_cast<uint32_t>(buffer.size()), 259);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("ok.jpg", seen[0].name);
}

TEST(NotifyEntries, RenameHalvesPairAcrossBatchesWithinOneFolder) {
    struct Step {
        uint32_t action; // kNotifyRenamedOld or kNotifyRenamedNew
        const char* folder;
        const char* name;
        bool overflowBefore;
        const char* announcedOld; // for a new half: the old name announced, or nullptr
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
    } cases[] = {
        {"the halves pair",
         {{kNotifyRenamedOld, "T:\\", "a.jpg", false, nullptr},
          {kNotifyRenamedNew, "T:\\", "b.jpg", false, "a.jpg"}}},
        {"folders compare without case",
         {{kNotifyRenamedOld, "C:\\Pics", "a.jpg", false, nullptr},
          {kNotifyRenamedNew, "c:\\pics", "b.jpg", false, "a.jpg"}}},
        {"a new half in another folder announces nothing",
         {{kNotifyRenamedOld, "C:\\one", "a.jpg", false, nullptr},
          {kNotifyRenamedNew, "C:\\two", "b.jpg", false, nullptr}}},
        {"an old half is used once",
         {{kNotifyRenamedOld, "T:\\", "a.jpg", false, nullptr},
          {kNotifyRenamedNew, "T:\\", "b.jpg", false, "a.jpg"},
          {kNotifyRenamedNew, "T:\\", "c.jpg", false, nullptr}}},
        {"lost notices between the halves pair nothing",
         {{kNotifyRenamedOld, "T:\\", "a.jpg", false, nullptr},
          {kNotifyRenamedNew, "T:\\", "b.jpg", true, nullptr}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CRenamePairing pairing;
        for (const Step& step : c.steps) {
            if (step.overflowBefore)
                pairing.Forget();
            if (step.action == kNotifyRenamedOld) {
                pairing.Old(step.folder, step.name);
                continue;
            }
            std::string old;
            const bool paired = pairing.New(step.folder, &old);
            EXPECT_EQ(step.announcedOld != nullptr, paired) << step.name;
            if (step.announcedOld) {
                EXPECT_EQ(step.announcedOld, old);
            }
        }
    }
}

TEST(NotifyEntries, ARenameSplitOverTwoBatchesIsOneRename) {
    const auto first = Records({{kNotifyAdded, "x.jpg"}, {kNotifyRenamedOld, "a.jpg"}});
    const auto second = Records({{kNotifyRenamedNew, "b.jpg"}, {kNotifyRemoved, "y.jpg"}});
    CRenamePairing pairing;
    std::vector<std::string> renames;
    for (const auto* batch : {&first, &second}) {
        const auto seen = Walk(*batch, static_cast<uint32_t>(batch->size()));
        for (const Seen& entry : seen) {
            std::string old;
            if (entry.action == kNotifyRenamedOld)
                pairing.Old("T:\\", entry.name);
            else if (entry.action == kNotifyRenamedNew && pairing.New("T:\\", &old))
                renames.push_back(old + ">" + entry.name);
        }
    }
    EXPECT_EQ(std::vector<std::string>{"a.jpg>b.jpg"}, renames);
}

} // namespace
