#include "viewer/logic/sort_commands.h"

#include <gtest/gtest.h>

#include "resources/resource.h"

namespace {

using viewer::SortChoice;

TEST(SortCommands, AKeyCommandSetsTheKeyAndAnOrderCommandTheOrderKeepingTheOtherHalf) {
    struct Case {
        const char* name;
        int command;
        SortChoice stored;
        int sortBy, sortOrder;
    } cases[] = {
        {"by name", ID_SORT_BY_NAME, {3, 2}, 1, 2},
        {"by size", ID_SORT_BY_SIZE, {1, 1}, 2, 1},
        {"by type", ID_SORT_BY_TYPE, {4, 2}, 3, 2},
        {"by modified", ID_SORT_BY_DATE, {1, 1}, 4, 1},
        {"ascending", ID_SORT_ASCENDING, {2, 2}, 2, 1},
        {"descending", ID_SORT_DESCENDING, {3, 1}, 3, 2},
        {"descending again", ID_SORT_DESCENDING, {3, 2}, 3, 2},
        {"another command changes nothing", ID_FILE_SAVE, {2, 2}, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SortChoice after = viewer::SortChoiceAfter(c.command, c.stored);
        EXPECT_EQ(c.sortBy, after.sortBy);
        EXPECT_EQ(c.sortOrder, after.sortOrder);
    }
    EXPECT_TRUE(viewer::IsSortCommand(ID_SORT_BY_NAME));
    EXPECT_TRUE(viewer::IsSortCommand(ID_SORT_DESCENDING));
    EXPECT_FALSE(viewer::IsSortCommand(ID_SORT_BY_NAME - 1));
    EXPECT_FALSE(viewer::IsSortCommand(ID_SORT_DESCENDING + 1));
}

TEST(SortCommands, TheListsKeyAndOrderCheckOneKeyAndOneOrder) {
    const int commands[] = {ID_SORT_BY_NAME, ID_SORT_BY_SIZE,   ID_SORT_BY_TYPE,
                            ID_SORT_BY_DATE, ID_SORT_ASCENDING, ID_SORT_DESCENDING};
    struct Case {
        const char* name;
        SortChoice list;
        bool checked[6];
    } cases[] = {
        {"name ascending", {1, 1}, {true, false, false, false, true, false}},
        {"size descending", {2, 2}, {false, true, false, false, false, true}},
        {"type ascending", {3, 1}, {false, false, true, false, true, false}},
        {"modified descending", {4, 2}, {false, false, false, true, false, true}},
        {"a list not sorted yet checks nothing",
         {0, 0},
         {false, false, false, false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(c.checked[i], viewer::IsSortCommandChecked(commands[i], c.list))
                << commands[i];
    }
}

} // namespace
