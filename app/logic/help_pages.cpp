#include "app/logic/help_pages.h"

#include "resources/resource.h"

namespace help_pages {

const WebPage kWebPages[3] = {
    {ID_HELP_WEB_HOME, "https://velmorantix.example/"},
    {ID_HELP_WEB_SUPPORT, "https://velmorantix.example/support/"},
    {ID_HELP_WEB_REGISTER, "https://velmorantix.example/register/"},
};

const char* WebPageAddress(int command) {
    for (const WebPage& page : kWebPages)
        if (page.command == command)
            return page.address;
    return nullptr;
}

std::string HelpFilePath(const std::string& modulePath) {
    const size_t slash = modulePath.find_last_of("\\/");
    if (slash == std::string::npos)
        return kHelpFileName;
    return modulePath.substr(0, slash + 1) + kHelpFileName;
}

} // namespace help_pages
