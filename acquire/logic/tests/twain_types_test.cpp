// The TWAIN records as a source manager of protocol 1.9 reads them: packed to
// two bytes, with the published sizes and member offsets.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "acquire/logic/twain_types.h"

namespace {

TEST(TwainTypes, RecordsHaveThePublishedLayout) {
    const size_t pointer = sizeof(void*);
    struct Case {
        const char* what;
        size_t actual;
        size_t expected;
    };
    const Case cases[] = {
        {"sizeof TW_IDENTITY", sizeof(TW_IDENTITY), 156},
        {"sizeof TW_VERSION", sizeof(TW_VERSION), 42},
        {"TW_IDENTITY.Version", offsetof(TW_IDENTITY, Version), 4},
        {"TW_IDENTITY.ProtocolMajor", offsetof(TW_IDENTITY, ProtocolMajor), 46},
        {"TW_IDENTITY.SupportedGroups", offsetof(TW_IDENTITY, SupportedGroups), 50},
        {"TW_IDENTITY.Manufacturer", offsetof(TW_IDENTITY, Manufacturer), 54},
        {"TW_IDENTITY.ProductName", offsetof(TW_IDENTITY, ProductName), 122},
        {"sizeof TW_IMAGEINFO", sizeof(TW_IMAGEINFO), 42},
        {"TW_IMAGEINFO.ImageWidth", offsetof(TW_IMAGEINFO, ImageWidth), 8},
        {"TW_IMAGEINFO.BitsPerPixel", offsetof(TW_IMAGEINFO, BitsPerPixel), 34},
        {"sizeof TW_PENDINGXFERS", sizeof(TW_PENDINGXFERS), 6},
        {"sizeof TW_STATUS", sizeof(TW_STATUS), 4},
        {"TW_USERINTERFACE.hParent", offsetof(TW_USERINTERFACE, hParent), 4},
        {"sizeof TW_USERINTERFACE", sizeof(TW_USERINTERFACE), 4 + pointer},
        {"TW_EVENT.TWMessage", offsetof(TW_EVENT, TWMessage), pointer},
        {"sizeof TW_EVENT", sizeof(TW_EVENT), pointer + 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, c.actual) << c.what;
}

TEST(TwainTypes, TripletsReadAsTheirNames) {
    EXPECT_STREQ("DG_IMAGE", TwainGroupName(DG_IMAGE));
    EXPECT_STREQ("DAT_IMAGENATIVEXFER", TwainDataName(DAT_IMAGENATIVEXFER));
    EXPECT_STREQ("MSG_ENDXFER", TwainMessageName(MSG_ENDXFER));
    EXPECT_STREQ("MSG_XFERREADY", TwainMessageName(0x0101));
    EXPECT_STREQ("?", TwainDataName(0x7777));
}

} // namespace
