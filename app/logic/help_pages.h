// Where the Help menu leads: the product's web pages by command, and the
// help file beside the program.
#pragma once

#include <string>

namespace help_pages {

// The help file's name; it lies in the program's own folder.
constexpr const char kHelpFileName[] = "VelmorantixXP.chm";

// One page of the product on the web, opened by one Help command.
struct WebPage {
    int command;
    const char* address;
};

// The three pages (home, support, registration), under a domain of our own.
extern const WebPage kWebPages[3];

// The address a Help command opens; null for any other command.
const char* WebPageAddress(int command);

// The help file's full path for the program at `modulePath`: the module's
// folder (up to its last backslash or slash) and the file name. Without a
// folder the name alone.
std::string HelpFilePath(const std::string& modulePath);

} // namespace help_pages
