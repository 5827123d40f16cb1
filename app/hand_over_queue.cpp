#include "app/hand_over_queue.h"

namespace {

struct ModalSearch {
    HWND ignore;
    HWND found;
};

BOOL CALLBACK FindModal(HWND window, LPARAM lp) {
    auto* search = reinterpret_cast<ModalSearch*>(lp);
    if (window == search->ignore || !IsWindowVisible(window) || !IsWindowEnabled(window))
        return TRUE;
    HWND owner = GetWindow(window, GW_OWNER);
    if (!owner || owner == search->ignore || IsWindowEnabled(owner))
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

HWND FindModalWindow(HWND ignore) {
    ModalSearch search{ignore, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindModal, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
