// The wait cursor: shown for a scope, the previous cursor restored after it.
#include "ui/ui.h"

#include <gtest/gtest.h>

namespace {

TEST(WaitCursor, ShowsTheWaitCursorForItsScopeAndRestoresThePreviousOne) {
    HCURSOR arrow = ::LoadCursorA(NULL, IDC_ARROW);
    HCURSOR wait = ::LoadCursorA(NULL, IDC_WAIT);
    ASSERT_NE(arrow, wait);
    ::SetCursor(arrow);
    {
        CWaitCursor busy;
        EXPECT_TRUE(busy.IsSet());
        EXPECT_EQ(::GetCursor(), wait);
        EXPECT_FALSE(busy.Set()); // already shown: the saved cursor stays the arrow
        EXPECT_TRUE(busy.Restore());
        EXPECT_EQ(::GetCursor(), arrow);
        EXPECT_FALSE(busy.Restore());
        EXPECT_TRUE(busy.Set());
    }
    EXPECT_EQ(::GetCursor(), arrow);
    {
        CWaitCursor later(false);
        EXPECT_FALSE(later.IsSet());
        EXPECT_EQ(::GetCursor(), arrow);
    }
    EXPECT_EQ(::GetCursor(), arrow);
}

} // namespace
