#include "app/logic/help_pages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "resources/resource.h"

namespace {

using help_pages::HelpFilePath;
using help_pages::WebPageAddress;

TEST(HelpPages, EachWebCommandOpensItsOwnPageUnderTheProductsReservedDomain) {
    struct Case {
        int command;
        const char* address;
    } cases[] = {
        {ID_HELP_WEB_HOME, "https://velmorantix.example/"},
        {ID_HELP_WEB_SUPPORT, "https://velmorantix.example/support/"},
        {ID_HELP_WEB_REGISTER, "https://velmorantix.example/register/"},
    };
    std::set<std::string> seen;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        ASSERT_NE(nullptr, WebPageAddress(c.command));
        EXPECT_STREQ(c.address, WebPageAddress(c.command));
        seen.insert(WebPageAddress(c.command));
    }
    EXPECT_EQ(3u, seen.size()) << "three commands, three pages";
    for (int other : {0, ID_HELP_INDEX, ID_APP_ABOUT, ID_SORT_BY_NAME})
        EXPECT_EQ(nullptr, WebPageAddress(other)) << other;
}

TEST(HelpPages, TheHelpFileLiesInTheProgramsFolder) {
    struct Case {
        const char* name;
        const char* module;
        const char* path;
    } cases[] = {
        {"a drive path", "C:\\Program Files\\Velmorantix\\VelmorantixXP.exe",
         "C:\\Program Files\\Velmorantix\\VelmorantixXP.chm"},
        {"the root of a drive", "C:\\VelmorantixXP.exe", "C:\\VelmorantixXP.chm"},
        {"a network share", "\\\\server\\apps\\vxp.exe", "\\\\server\\apps\\VelmorantixXP.chm"},
        {"forward slashes", "Z:/build/program/VelmorantixXP.exe",
         "Z:/build/program/VelmorantixXP.chm"},
        {"no folder at all", "VelmorantixXP.exe", "VelmorantixXP.chm"},
        {"an empty module path", "", "VelmorantixXP.chm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.path, HelpFilePath(c.module));
    }
}

} // namespace
