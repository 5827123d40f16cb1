// The explorer's information pane: an owner-drawn window that describes the
// current image (its place in the list, name, artist, size, depth, pages,
// type, dates, keywords, description), with one button, "Edit Properties",
// that asks the owner for the image's properties, and an optional status
// band at the bottom (the selection count).
//
// The frame makes it with Create(parent, owner), hands it the current image
// with SetImage after each change of the current item and the selection
// count with SetSelectionCount. The pane keeps its own copy of what it shows.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "explorer/logic/info_pane_rows.h"
#include "ui/window_impl.h"

class CImageObject;
class CImageAttributes;

// The command the pane sends its owner (the explorer's Properties command).
constexpr UINT kInfoPaneCommand = 10008;
// The pane's child id in the frame.
constexpr UINT kInfoPaneId = 10004;

class CInfoPane : public CWindowImpl<CInfoPane> {
public:
    DECLARE_WND_CLASS_EX("CInfoPane", CS_DBLCLKS, -1)

    ~CInfoPane() override;

    // A child of parent; WM_COMMAND kInfoPaneCommand goes to owner.
    HWND Create(HWND parent, HWND owner, UINT id = kInfoPaneId);
    void SetOwner(HWND owner) { m_owner = owner; }

    // Shows the image (null: nothing) with its attributes record (null: none)
    // at position index of count; a status text given replaces the status.
    void SetImage(const CImageObject* image, const CImageAttributes* attributes, int index,
                  int count, const char* status = nullptr);
    void Clear() { SetImage(nullptr, nullptr, 0, 0); }
    // The status band's text (null or empty: no band).
    void SetStatusText(const char* text);
    // "%d object selected" for two or more, else no band.
    void SetSelectionCount(int selected);

    // What the pane shows, for its owner and tests.
    bool HasImage() const { return m_hasImage; }
    std::string HeaderText() const;
    const std::string& StatusText() const { return m_status; }
    std::vector<InfoRow> Rows() const;
    // What the pane shows as text, one line each: the header, the rows
    // ("Label: value") and the status. It is also the window's text, so
    // that tools reading windows (screen readers, tests) see the pane's
    // content.
    std::string Summary() const;
    // The label text of a row kind ("Filename:", ...).
    static std::string LabelText(EInfoRow kind);
    HWND Button() const { return m_button; }

    BEGIN_MSG_MAP(CInfoPane)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnDoubleClick)
    MESSAGE_HANDLER(WM_DRAWITEM, OnDrawItem)
    MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnDoubleClick(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCommand(UINT, WPARAM, LPARAM, BOOL&);
    void Paint(HDC dc, const RECT& client);
    void PlaceButton(const RECT& client);
    void Refresh();

    HWND m_owner = NULL;
    HWND m_button = NULL;
    HWND m_tooltip = NULL;
    HIMAGELIST m_images = NULL;
    bool m_hasImage = false;
    InfoPaneFacts m_facts;
    int m_index = 0;
    int m_count = 0;
    std::string m_status;
};
