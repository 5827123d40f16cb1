#include "shellext/menu_plan.h"

#include <cctype>

namespace dovrexa {

MenuPlan PlanContextMenu(bool firstIsFolder, const MenuSwitches& switches) {
    MenuPlan plan;
    if (firstIsFolder) {
        if (switches.browse)
            plan.items[plan.count++] = MenuCommand::Browse;
        return plan;
    }
    plan.submenu = switches.inSubmenu;
    if (switches.view)
        plan.items[plan.count++] = MenuCommand::View;
    if (switches.print)
        plan.items[plan.count++] = MenuCommand::Print;
    if (switches.email)
        plan.items[plan.count++] = MenuCommand::Email;
    return plan;
}

MenuCommand CommandForOffset(bool firstIsFolder, const MenuSwitches& switches, unsigned offset) {
    const MenuPlan plan = PlanContextMenu(firstIsFolder, switches);
    return offset < plan.count ? plan.items[offset] : MenuCommand::None;
}

const char* MenuItemText(MenuCommand command, bool inSubmenu) {
    switch (command) {
    case MenuCommand::Browse:
        return "Browse with Velmorantix XP";
    case MenuCommand::View:
        return inSubmenu ? "View" : "View with Velmorantix XP";
    case MenuCommand::Print:
        return inSubmenu ? "Print" : "Print with Velmorantix XP";
    case MenuCommand::Email:
        return inSubmenu ? "E-mail" : "E-mail with Velmorantix XP";
    case MenuCommand::None:
        break;
    }
    return "";
}

const char* HelpText(bool firstIsFolder, const MenuSwitches& switches, unsigned offset) {
    if (firstIsFolder)
        return MenuItemText(MenuCommand::Browse, false);
    if (offset != 0)
        return "";
    const MenuPlan plan = PlanContextMenu(false, switches);
    return plan.count ? MenuItemText(plan.items[0], false) : "";
}

const char* CommandLineSwitch(MenuCommand command) {
    switch (command) {
    case MenuCommand::Print:
        return " /print";
    case MenuCommand::Email:
        return " /email";
    default:
        return "";
    }
}

namespace {

bool EqualNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*b)))
            return false;
    }
    return *a == *b;
}

} // namespace

bool IsImageFileExtension(const char* extension) {
    static const char* const kExtensions[] = {
        ".bmp", ".emf", ".gif", ".png", ".ico", ".jpg", ".jpeg", ".jpe",  ".pcd", ".pcx",  ".psd",
        ".psp", ".ras", ".tga", ".vda", ".icb", ".vst", ".tif",  ".tiff", ".wbm", ".wbmp", ".wmf"};
    if (!extension)
        return false;
    for (const char* known : kExtensions) {
        if (EqualNoCase(extension, known))
            return true;
    }
    return false;
}

} // namespace dovrexa
