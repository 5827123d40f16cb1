// The receiving side of the hand-over: texts from another process are
// bounded before they reach a path buffer.
#include <gtest/gtest.h>

#include <string>

#include "program/tray_icon_wnd.h"

namespace {

struct Case {
    const char* name;
    std::string bytes; // the record's data
    bool ok;
    bool hasText;
    std::string text;
};

TEST(HandOverText, AcceptsTerminatedPathsAndRefusesTheRest) {
    const std::string longest(259, 'a');
    const Case cases[] = {
        {"no data", "", true, false, ""},
        {"terminated", std::string("C:\\t\0", 5), true, true, "C:\\t"},
        {"stops at the first zero", std::string("C:\\a\0junk\0", 10), true, true, "C:\\a"},
        {"259 characters", longest + '\0', true, true, longest},
        {"260 characters", longest + "b" + '\0', false, false, ""},
        {"unterminated", "C:\\t", false, false, ""},
        {"unterminated and long", std::string(400, 'x'), false, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string data = c.bytes;
        COPYDATASTRUCT record{0, DWORD(data.size()), data.empty() ? nullptr : &data[0]};
        char text[MAX_PATH];
        bool hasText = true;
        EXPECT_EQ(ReadHandOverText(&record, text, &hasText), c.ok);
        EXPECT_EQ(hasText, c.hasText);
        if (c.ok) {
            EXPECT_EQ(std::string(text), c.text);
        }
    }
    // A data pointer without a byte count is no argument either.
    char text[MAX_PATH];
    bool hasText = true;
    char byte = 'x';
    COPYDATASTRUCT empty{0, 0, &byte};
    EXPECT_TRUE(ReadHandOverText(&empty, text, &hasText));
    EXPECT_FALSE(hasText);
}

} // namespace
