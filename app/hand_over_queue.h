// Hand-overs (later starts passing their command line) that arrive while a
// modal dialog or message box is up. Opening the image then would change the
// picture under a dialog that still speaks of the old one, and raise the frame
// above its own disabled-owner dialog, so the program would look frozen. Such
// hand-overs wait here until no modal window is left, and the modal window is
// what a later start brings to the front.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The modal window the user must answer first: an enabled, visible top-level
// window of this thread whose owner is disabled (a nested message box wins
// over the dialog it disabled). `ignore` is a window that is disabled for
// good and owns nothing modal (the hidden hand-over window). Null when none.
HWND FindModalWindow(HWND ignore);

class CPendingHandOvers {
public:
    struct Entry {
        bool hasText;
        std::string text;
    };

    void Push(const char* text) { m_entries.push_back({text != nullptr, text ? text : ""}); }
    bool Empty() const { return m_entries.empty(); }
    // All that waited, oldest first; the queue is empty afterwards.
    std::vector<Entry> Take() {
        std::vector<Entry> taken;
        taken.swap(m_entries);
        return taken;
    }

private:
    std::vector<Entry> m_entries;
};
