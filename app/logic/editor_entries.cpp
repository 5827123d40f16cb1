#include "app/logic/editor_entries.h"

namespace editor_entries {

namespace {

std::string NameWithoutExtension(const std::string& path) {
    const size_t slash = path.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

} // namespace

Entry Parse(const std::string& text) {
    const size_t bar = text.find('|');
    if (bar == std::string::npos)
        return {NameWithoutExtension(text), text};
    return {text.substr(0, bar), text.substr(bar + 1)};
}

std::string Format(const Entry& entry) {
    return entry.title + "|" + entry.path;
}

std::string CommandLineFor(const char* file) {
    if (!file || !*file)
        return "";
    const std::string path = file;
    if (path.find(' ') == std::string::npos)
        return " " + path;
    return " \"" + path + "\"";
}

} // namespace editor_entries
