// The explorer's client window: two panes above each other (the preview on
// top, the thumbnail list below) with a bar between them that the mouse
// drags, or one pane alone. The children created in it keep it as the
// window they notify, also after they move into a docking pane, so it hands
// every WM_NOTIFY and WM_COMMAND on to the frame.
#pragma once

#include <windows.h>

#include "ui/window_impl.h"

class CPaneSplitter : public CWindowImpl<CPaneSplitter> {
public:
    DECLARE_WND_CLASS_EX("VxpPaneSplitter", CS_DBLCLKS, COLOR_BTNFACE)

    static constexpr int kBarHeight = 4;
    static constexpr int kMinPane = 25;

    void SetPanes(HWND top, HWND bottom);
    HWND Pane(int index) const { return m_panes[index & 1]; }
    // -1 shows both panes; 0 or 1 shows that one alone.
    void SetSinglePaneMode(int pane);
    int SinglePaneMode() const { return m_single; }
    void SetActivePane(int pane);
    int ActivePane() const { return m_active; }
    // The top of the bar, in client coordinates; kept inside the client area.
    void SetBarPosition(int y);
    int BarPosition() const { return m_bar; }
    int ClientHeight() const;
    void UpdateLayout();

    BEGIN_MSG_MAP(CPaneSplitter)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
    MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
    MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
    MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
    MESSAGE_HANDLER(WM_CAPTURECHANGED, OnCaptureChanged)
    MESSAGE_HANDLER(WM_NOTIFY, OnForward)
    MESSAGE_HANDLER(WM_COMMAND, OnForward)
    MESSAGE_HANDLER(WM_CONTEXTMENU, OnForward)
    END_MSG_MAP()

private:
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnForward(UINT, WPARAM, LPARAM, BOOL&);
    bool OnBar(int y) const;

    HWND m_panes[2] = {nullptr, nullptr};
    int m_single = -1;
    int m_active = 0;
    int m_bar = 0;
    bool m_barSet = false;
    bool m_dragging = false;
    int m_grab = 0;
};
