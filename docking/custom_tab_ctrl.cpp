// The custom tab strip: items, selection, layout, painting and the mouse.
#include "docking/custom_tab_ctrl.h"

#include <algorithm>
#include <cstring>

#include "docking/logic/look.h"
#include "ui/memory_dc.h"

using namespace docking;

namespace {

RECT ToRect(const TabRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}
TabRect ToTabRect(const RECT& r) {
    return TabRect{r.left, r.top, r.right, r.bottom};
}
void Line(HDC dc, int x0, int y0, int x1, int y1) {
    ::MoveToEx(dc, x0, y0, NULL);
    ::LineTo(dc, x1, y1);
}
HPEN SelectPen(HDC dc, int sysColour, HPEN* made) {
    *made = ::CreatePen(PS_SOLID, 1, ::GetSysColor(sysColour));
    return (HPEN)::SelectObject(dc, *made);
}
void Unselect(HDC dc, HPEN old, HPEN made) {
    ::SelectObject(dc, old);
    ::DeleteObject(made);
}
POINT PointOf(LPARAM lParam) {
    return POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)};
}

} // namespace

CCustomTabCtrlBase::~CCustomTabCtrlBase() {
    for (CCustomTabItem* item : m_items)
        delete item;
    if (m_font)
        ::DeleteObject(m_font);
    if (m_selectedFont)
        ::DeleteObject(m_selectedFont);
    if (m_background)
        ::DeleteObject(m_background);
}

// ---------------------------------------------------------------------------
// Notifications.
// ---------------------------------------------------------------------------
LRESULT CCustomTabCtrlBase::NotifyItem(UINT code, int item, POINT pt) {
    NMCTITEM nm = {};
    nm.iItem = item;
    nm.pt = pt;
    return SendNotify(nm.hdr, code);
}

LRESULT CCustomTabCtrlBase::NotifyItems(UINT code, int oldItem, int newItem) {
    NMCTITEMS nm = {};
    nm.iItem1 = oldItem;
    nm.iItem2 = newItem;
    nm.pt = POINT{-1, -1};
    return SendNotify(nm.hdr, code);
}

LRESULT CCustomTabCtrlBase::SendNotify(NMHDR& hdr, UINT code) {
    hdr.hwndFrom = m_hWnd;
    hdr.idFrom = (UINT_PTR)m_id;
    hdr.code = code;
    return ::SendMessageA(GetParent(), WM_NOTIFY, (WPARAM)m_id, (LPARAM)&hdr);
}

// ---------------------------------------------------------------------------
// Items and selection.
// ---------------------------------------------------------------------------
int CCustomTabCtrlBase::AddItem(const char* text, int position, int image, LPARAM data) {
    CCustomTabItem* item = new CCustomTabItem();
    item->text = text != nullptr ? text : "";
    item->tooltip = item->text;
    item->image = image;
    item->data = data;
    const int at = InsertItem(item, position, true);
    if (at < 0)
        delete item;
    return at;
}

int CCustomTabCtrlBase::InsertItem(CCustomTabItem* item, int position, bool select) {
    if (m_hWnd == NULL || item == nullptr)
        return -1;
    const int count = GetItemCount();
    if (position < 0 || position > count)
        position = count;
    m_items.insert(m_items.begin() + position, item);
    if (m_selected >= position)
        ++m_selected; // the selected tab moved, it is still selected
    NotifyItem(CTN_INSERTITEM, position, POINT{-1, -1});
    if (GetItemCount() == 1 || select)
        SetCurSel(position, true);
    SetTool((UINT_PTR)GetItemCount(), RECT{0, 0, 0, 0}, LPSTR_TEXTCALLBACKA);
    UpdateLayout();
    Invalidate();
    return position;
}

BOOL CCustomTabCtrlBase::DeleteItem(int position, bool keepSelection, bool notify) {
    const int count = GetItemCount();
    if (position < 0 || position >= count)
        return FALSE;
    if (notify && NotifyItem(CTN_DELETEITEM, position, POINT{-1, -1}) == 1 && !m_deletingAll)
        return FALSE;
    const TabDeletePlan plan = PlanTabDelete(position, count, m_selected, keepSelection);
    if (plan.selectBefore >= 0)
        SetCurSel(plan.selectBefore, true);
    if (plan.silentSelection != -2) {
        m_selected = plan.silentSelection;
        ScrollIntoView(m_selected);
    }
    RemoveTool((UINT_PTR)count);
    CCustomTabItem* item = m_items[(size_t)position];
    m_items.erase(m_items.begin() + position);
    delete item;
    if (m_selected >= GetItemCount())
        m_selected = GetItemCount() - 1;
    if (m_hot >= GetItemCount())
        m_hot = -1;
    if (plan.selectAfter >= 0)
        SetCurSel(plan.selectAfter, true);
    UpdateLayout();
    Invalidate();
    return TRUE;
}

void CCustomTabCtrlBase::DeleteAllItems() {
    // A parent that refuses a deletion here is not asked again: the tabs go
    // all the same, so destruction cannot loop.
    m_deletingAll = true;
    m_selected = -1;
    while (!m_items.empty())
        DeleteItem(0, false, true);
    m_deletingAll = false;
}

int CCustomTabCtrlBase::SetCurSel(int index, bool notify) {
    const int old = m_selected;
    index = RequestedSelection(index, GetItemCount(), m_selected);
    if (notify && NotifyItems(TCN_SELCHANGING, old, index) == 1)
        return -1;
    m_selected = index;
    ScrollIntoView(index);
    UpdateLayout();
    Invalidate();
    if (notify)
        NotifyItems(TCN_SELCHANGE, old, index);
    return old;
}

void CCustomTabCtrlBase::ScrollIntoView(int index) {
    if (!(m_canScrollLeft || m_canScrollRight) || index < 0 || index >= GetItemCount())
        return;
    RECT r;
    GetItemRect(index, &r);
    const TabRect& a = m_buttons.area;
    if (r.left < a.left)
        m_scrollOffset += a.left - r.left + 20;
    else if (r.right > a.right)
        m_scrollOffset += a.right - r.right - 20;
}

CCustomTabItem* CCustomTabCtrlBase::GetItem(int position) const {
    return position >= 0 && position < GetItemCount() ? m_items[(size_t)position] : nullptr;
}

BOOL CCustomTabCtrlBase::GetItemRect(int position, RECT* rect) const {
    const CCustomTabItem* item = GetItem(position);
    if (item == nullptr) {
        if (rect)
            *rect = RECT{0, 0, 0, 0};
        return FALSE;
    }
    if (rect) {
        *rect = item->rect;
        if (Vertical())
            ::OffsetRect(rect, 0, m_scrollOffset);
        else
            ::OffsetRect(rect, m_scrollOffset, 0);
    }
    return TRUE;
}

int CCustomTabCtrlBase::HitTest(POINT pt, unsigned* flags) const {
    int found = -1;
    if (m_buttons.area.Contains(pt.x, pt.y)) {
        for (int i = 0; i < GetItemCount(); ++i) {
            RECT r;
            GetItemRect(i, &r);
            if (::PtInRect(&r, pt)) {
                found = i;
                break;
            }
        }
    }
    const unsigned flag = TabHitFlag(m_buttons, found >= 0, pt.x, pt.y);
    if (flags)
        *flags = flag;
    return flag == CTCHT_ONITEM ? found : -1;
}

void CCustomTabCtrlBase::SwapItems(int a, int b) {
    if (a < 0 || b < 0 || a >= GetItemCount() || b >= GetItemCount() || a == b)
        return;
    std::swap(m_items[(size_t)a], m_items[(size_t)b]);
    if (m_selected == a)
        m_selected = b;
    else if (m_selected == b)
        m_selected = a;
    UpdateLayout();
    Invalidate();
}

int CCustomTabCtrlBase::FindData(LPARAM data) const {
    for (int i = 0; i < GetItemCount(); ++i)
        if (m_items[(size_t)i]->data == data)
            return i;
    return -1;
}

// ---------------------------------------------------------------------------
// Layout.
// ---------------------------------------------------------------------------
int CCustomTabCtrlBase::TextWidth(const std::string& text, bool selected) const {
    if (text.empty())
        return 0;
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ old = ::SelectObject(dc, selected && m_selectedFont
                                         ? m_selectedFont
                                         : (m_font ? m_font : ::GetStockObject(DEFAULT_GUI_FONT)));
    SIZE s = {0, 0};
    ::GetTextExtentPoint32A(dc, text.c_str(), (int)text.size(), &s);
    ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    return s.cx;
}

void CCustomTabCtrlBase::UpdateLayout() {
    if (m_hWnd == NULL)
        return;
    RECT client;
    GetClientRect(&client);
    const bool vertical = Vertical();
    // A vertical strip lays its tabs out along y: the rules run on the
    // transposed rectangle.
    TabRect c = vertical ? TabRect{client.top, client.left, client.bottom, client.right}
                         : ToTabRect(client);
    const DWORD style = GetStyle();
    m_buttons = LayoutTabButtons(c, style);
    int imageWidth = 0, imageHeight = 0;
    if (m_images != NULL)
        ImageList_GetIconSize(m_images, &imageWidth, &imageHeight);
    std::vector<int> natural;
    for (int i = 0; i < GetItemCount(); ++i) {
        const CCustomTabItem* item = m_items[(size_t)i];
        natural.push_back(TabNaturalWidth(item->HasImage() && m_images ? imageWidth : 0,
                                          TextWidth(item->text, i == m_selected)));
    }
    std::vector<int> widths = natural;
    if (style & CTS_SCROLLBUTTONS) {
        int end = kFirstTabOffset;
        for (int w : natural)
            end += w;
        if (end + 5 + m_scrollOffset < m_buttons.area.right)
            m_scrollOffset = std::min(0, m_buttons.area.right - end - 5);
        if (m_scrollOffset < 0)
            m_canScrollLeft = true;
        else {
            m_scrollOffset = 0;
            m_canScrollLeft = false;
        }
        m_canScrollRight = end + m_scrollOffset > m_buttons.area.right;
    } else {
        m_scrollOffset = 0;
        m_canScrollLeft = m_canScrollRight = false;
        widths = FitTabWidths(natural, m_selected, m_buttons.area.Width());
    }
    int x = kFirstTabOffset;
    for (int i = 0; i < GetItemCount(); ++i) {
        const int w = widths[(size_t)i];
        m_items[(size_t)i]->rect = RECT{x, c.top, x + w, c.bottom};
        x += w;
    }
    if (vertical) {
        // Back to client coordinates.
        auto flip = [](TabRect& r) { r = TabRect{r.top, r.left, r.bottom, r.right}; };
        flip(m_buttons.area);
        flip(m_buttons.close);
        flip(m_buttons.left);
        flip(m_buttons.right);
        for (CCustomTabItem* item : m_items) {
            const RECT r = item->rect;
            item->rect = RECT{r.top, r.left, r.bottom, r.right};
        }
    }
    if (m_tooltip != NULL) {
        if (style & CTS_CLOSEBUTTON)
            SetTool(kTabToolClose, ToRect(m_buttons.close), "Close");
        if (style & CTS_SCROLLBUTTONS) {
            SetTool(kTabToolScrollRight, ToRect(m_buttons.right), "Scroll Right");
            SetTool(kTabToolScrollLeft, ToRect(m_buttons.left), "Scroll Left");
        }
        const RECT area = ToRect(m_buttons.area);
        for (int i = 0; i < GetItemCount(); ++i) {
            RECT r, visible;
            GetItemRect(i, &r);
            if (!::IntersectRect(&visible, &r, &area))
                visible = RECT{0, 0, 0, 0};
            TOOLINFOA ti = {};
            ti.cbSize = sizeof(ti);
            ti.hwnd = m_hWnd;
            ti.uId = (UINT_PTR)(i + 1);
            ti.rect = visible;
            ::SendMessageA(m_tooltip, TTM_NEWTOOLRECTA, 0, (LPARAM)&ti);
        }
    }
}

// ---------------------------------------------------------------------------
// Tooltips.
// ---------------------------------------------------------------------------
void CCustomTabCtrlBase::SetTool(UINT_PTR id, const RECT& r, const char* text) {
    if (m_tooltip == NULL)
        return;
    TOOLINFOA ti = {};
    ti.cbSize = sizeof(ti);
    ti.hwnd = m_hWnd;
    ti.uId = id;
    if (::SendMessageA(m_tooltip, TTM_GETTOOLINFOA, 0, (LPARAM)&ti)) {
        ti.rect = r;
        ::SendMessageA(m_tooltip, TTM_NEWTOOLRECTA, 0, (LPARAM)&ti);
        return;
    }
    ti.uFlags = 0;
    ti.rect = r;
    ti.lpszText = const_cast<LPSTR>(text);
    ::SendMessageA(m_tooltip, TTM_ADDTOOLA, 0, (LPARAM)&ti);
}

void CCustomTabCtrlBase::RemoveTool(UINT_PTR id) {
    if (m_tooltip == NULL)
        return;
    TOOLINFOA ti = {};
    ti.cbSize = sizeof(ti);
    ti.hwnd = m_hWnd;
    ti.uId = id;
    ::SendMessageA(m_tooltip, TTM_DELTOOLA, 0, (LPARAM)&ti);
}

void CCustomTabCtrlBase::AddButtonTools() {
    const DWORD style = GetStyle();
    if (style & CTS_SCROLLBUTTONS) {
        SetTool(kTabToolScrollRight, ToRect(m_buttons.right), "Scroll Right");
        SetTool(kTabToolScrollLeft, ToRect(m_buttons.left), "Scroll Left");
    }
    if (style & CTS_CLOSEBUTTON)
        SetTool(kTabToolClose, ToRect(m_buttons.close), "Close");
}

LRESULT CCustomTabCtrlBase::OnGetDispInfo(int, LPNMHDR pnmh, BOOL& bHandled) {
    NMTTDISPINFOA* info = (NMTTDISPINFOA*)pnmh;
    if (pnmh->hwndFrom != m_tooltip) {
        bHandled = FALSE;
        return 0;
    }
    const UINT_PTR id = pnmh->idFrom;
    if (id >= 1 && id <= (UINT_PTR)GetItemCount()) {
        const CCustomTabItem* item = m_items[id - 1];
        const std::string& text = item->HasTooltip() ? item->tooltip : item->text;
        if (!text.empty()) {
            info->lpszText = const_cast<LPSTR>(text.c_str());
            info->hinst = NULL;
        }
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Look.
// ---------------------------------------------------------------------------
void CCustomTabCtrlBase::ApplySettings() {
    LOGFONTA lf = {};
    if (::SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof(lf), &lf, 0)) {
        LOGFONTA current = {};
        if (m_font != NULL)
            ::GetObjectA(m_font, sizeof(current), &current);
        if (m_font == NULL || _stricmp(current.lfFaceName, lf.lfFaceName) != 0 ||
            current.lfHeight != lf.lfHeight) {
            if (m_font)
                ::DeleteObject(m_font);
            if (m_selectedFont)
                ::DeleteObject(m_selectedFont);
            m_font = ::CreateFontIndirectA(&lf);
            LOGFONTA bold = lf;
            if (GetStyle() & CTS_BOLDSELECTED)
                bold.lfWeight = FW_BOLD;
            m_selectedFont = ::CreateFontIndirectA(&bold);
        }
    }
    if (m_font == NULL)
        m_font = (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
    if (m_selectedFont == NULL)
        m_selectedFont = (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
    if (m_background)
        ::DeleteObject(m_background);
    m_background = NULL;
    HDC screen = ::GetDC(NULL);
    const int bits = ::GetDeviceCaps(screen, BITSPIXEL) * ::GetDeviceCaps(screen, PLANES);
    ::ReleaseDC(NULL, screen);
    const COLORREF gray = ::GetSysColor(COLOR_GRAYTEXT);
    if (bits <= 8) {
        const WORD rows[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
        HBITMAP bitmap = ::CreateBitmap(8, 8, 1, 1, rows);
        m_background = ::CreatePatternBrush(bitmap);
        ::DeleteObject(bitmap);
        m_inactiveText = gray;
        m_backgroundColour = ::GetSysColor(COLOR_BTNFACE);
    } else {
        const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
        const Rgb light = LightFaceColour(Rgb{GetRValue(face), GetGValue(face), GetBValue(face)});
        m_backgroundColour = RGB(light.r, light.g, light.b);
        m_background = ::CreateSolidBrush(m_backgroundColour);
        const Rgb text = InactiveTextColour(Rgb{GetRValue(gray), GetGValue(gray), GetBValue(gray)});
        m_inactiveText = RGB(text.r, text.g, text.b);
    }
    LOGFONTA used = {};
    ::GetObjectA(m_font, sizeof(used), &used);
    m_verticalTextOffset = VerticalTextOffset(used.lfHeight);
    UpdateLayout();
    Invalidate();
}

// ---------------------------------------------------------------------------
// Messages.
// ---------------------------------------------------------------------------
LRESULT CCustomTabCtrlBase::OnMouseRelay(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if (m_tooltip != NULL) {
        MSG msg = {m_hWnd, uMsg, wParam, lParam, ::GetMessageTime(), {0, 0}};
        const DWORD pos = ::GetMessagePos();
        msg.pt = POINT{(short)LOWORD(pos), (short)HIWORD(pos)};
        ::SendMessageA(m_tooltip, TTM_RELAYEVENT, 0, (LPARAM)&msg);
    }
    bHandled = FALSE;
    return 0;
}

LRESULT CCustomTabCtrlBase::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&) {
    const LRESULT result = DefWindowProc(uMsg, wParam, lParam);
    m_id = GetDlgCtrlID();
    ApplySettings();
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    m_tooltip = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSA, NULL,
                                  WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, NULL,
                                  ::GetModuleHandleA(NULL), NULL);
    if (m_tooltip != NULL) {
        const UINT dbl = ::GetDoubleClickTime();
        ::SendMessageA(m_tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(dbl, 0));
        ::SendMessageA(m_tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(dbl * 20, 0));
        ::SendMessageA(m_tooltip, TTM_SETDELAYTIME, TTDT_RESHOW, MAKELPARAM(dbl / 5, 0));
        ::SendMessageA(m_tooltip, TTM_ACTIVATE, (GetStyle() & CTS_TOOLTIPS) ? TRUE : FALSE, 0);
        AddButtonTools();
    }
    return result;
}

LRESULT CCustomTabCtrlBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    RemoveTool(kTabToolScrollRight);
    RemoveTool(kTabToolScrollLeft);
    RemoveTool(kTabToolClose);
    DeleteAllItems();
    if (m_tooltip != NULL)
        ::DestroyWindow(m_tooltip);
    m_tooltip = NULL;
    bHandled = FALSE;
    return 0;
}

LRESULT CCustomTabCtrlBase::OnSize(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    UpdateLayout();
    Invalidate();
    bHandled = FALSE;
    return 0;
}

LRESULT CCustomTabCtrlBase::OnSettingChange(UINT, WPARAM, LPARAM, BOOL&) {
    ApplySettings();
    return 0;
}

LRESULT CCustomTabCtrlBase::OnSetFont(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    HFONT given = (HFONT)wParam;
    LOGFONTA lf = {};
    if (given != NULL && ::GetObjectA(given, sizeof(lf), &lf)) {
        HFONT copy = ::CreateFontIndirectA(&lf);
        if (copy != NULL) {
            if (m_font)
                ::DeleteObject(m_font);
            m_font = copy;
            m_verticalTextOffset = VerticalTextOffset(lf.lfHeight);
        }
    }
    UpdateLayout();
    if (LOWORD(lParam))
        Invalidate();
    return 0;
}

LRESULT CCustomTabCtrlBase::OnGetDlgCode(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&) {
    return DefWindowProc(uMsg, wParam, lParam) | DLGC_WANTARROWS;
}

LRESULT CCustomTabCtrlBase::OnStyleChanged(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if (wParam != (WPARAM)GWL_STYLE) {
        bHandled = FALSE;
        return 0;
    }
    const STYLESTRUCT* ss = (const STYLESTRUCT*)lParam;
    const DWORD changed = ss->styleOld ^ ss->styleNew;
    if ((changed & CTS_TOOLTIPS) && m_tooltip)
        ::SendMessageA(m_tooltip, TTM_ACTIVATE, (ss->styleNew & CTS_TOOLTIPS) ? TRUE : FALSE, 0);
    if (changed & CTS_SCROLLBUTTONS) {
        if (ss->styleNew & CTS_SCROLLBUTTONS) {
            SetTool(kTabToolScrollRight, RECT{0, 0, 0, 0}, "Scroll Right");
            SetTool(kTabToolScrollLeft, RECT{0, 0, 0, 0}, "Scroll Left");
        } else {
            RemoveTool(kTabToolScrollRight);
            RemoveTool(kTabToolScrollLeft);
            m_scrollOffset = 0;
        }
    }
    if (changed & CTS_CLOSEBUTTON) {
        if (ss->styleNew & CTS_CLOSEBUTTON)
            SetTool(kTabToolClose, RECT{0, 0, 0, 0}, "Close");
        else
            RemoveTool(kTabToolClose);
    }
    UpdateLayout();
    Invalidate();
    return 0;
}

LRESULT CCustomTabCtrlBase::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (wParam == VK_LEFT && m_selected > 0)
        SetCurSel(m_selected - 1, true);
    else if (wParam == VK_RIGHT && m_selected < GetItemCount() - 1)
        SetCurSel(m_selected + 1, true);
    else
        bHandled = FALSE;
    return 0;
}

void CCustomTabCtrlBase::Scroll(int delta) {
    m_scrollOffset += delta;
    UpdateLayout();
    Invalidate();
}

LRESULT CCustomTabCtrlBase::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&) {
    const POINT pt = PointOf(lParam);
    unsigned flag = 0;
    const int hit = HitTest(pt, &flag);
    const UINT interval = m_repeatRate == 1 ? 100 : m_repeatRate == 2 ? 25 : 10;
    switch (flag) {
    case CTCHT_ONCLOSEBTN:
        m_pressed = m_under = kClose;
        InvalidateRegion(kClose);
        SetCapture();
        return 0;
    case CTCHT_ONSCROLLRIGHTBTN:
        m_pressed = m_under = kScrollRight;
        if (m_canScrollRight) {
            Scroll(-m_scrollStep);
            SetTimer(kTabTimerScrollRight, interval);
        }
        SetCapture();
        return 0;
    case CTCHT_ONSCROLLLEFTBTN:
        m_pressed = m_under = kScrollLeft;
        if (m_canScrollLeft) {
            Scroll(m_scrollStep);
            SetTimer(kTabTimerScrollLeft, interval);
        }
        SetCapture();
        return 0;
    default:
        if (NotifyItem(NM_CLICK, hit, pt) == 0 && hit >= 0) {
            SetFocus();
            SetCurSel(hit, true);
        }
        return 0;
    }
}

LRESULT CCustomTabCtrlBase::OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
    if (::GetCapture() != m_hWnd) {
        bHandled = FALSE;
        return 0;
    }
    const Region pressed = m_pressed;
    const bool overClose = RegionAt(PointOf(lParam)) == kClose;
    ::ReleaseCapture();
    if (pressed == kClose && overClose)
        NotifyItem(CTN_CLOSE, m_selected, PointOf(lParam));
    UpdateLayout();
    Invalidate();
    return 0;
}

LRESULT CCustomTabCtrlBase::OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&) {
    if (m_pressed != kNone) {
        InvalidateRegion(m_pressed);
        m_pressed = kNone;
    }
    KillTimer(kTabTimerScrollLeft);
    KillTimer(kTabTimerScrollRight);
    return 0;
}

LRESULT CCustomTabCtrlBase::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    const bool left = wParam == kTabTimerScrollLeft;
    if (!left && wParam != kTabTimerScrollRight) {
        bHandled = FALSE;
        return 0;
    }
    const Region button = left ? kScrollLeft : kScrollRight;
    const bool can = left ? m_canScrollLeft : m_canScrollRight;
    if (m_pressed != button || !can || m_repeatRate == 0) {
        KillTimer(wParam);
        return 0;
    }
    if (m_under == button)
        Scroll(left ? m_scrollStep : -m_scrollStep);
    return 0;
}

CCustomTabCtrlBase::Region CCustomTabCtrlBase::RegionAt(POINT pt) const {
    if (m_buttons.close.Contains(pt.x, pt.y))
        return kClose;
    if (m_buttons.right.Contains(pt.x, pt.y))
        return kScrollRight;
    if (m_buttons.left.Contains(pt.x, pt.y))
        return kScrollLeft;
    if (m_buttons.area.Contains(pt.x, pt.y))
        return kTabArea;
    return kNone;
}

void CCustomTabCtrlBase::InvalidateRegion(Region region) {
    RECT r;
    switch (region) {
    case kClose:
        r = ToRect(m_buttons.close);
        break;
    case kScrollRight:
        r = ToRect(m_buttons.right);
        break;
    case kScrollLeft:
        r = ToRect(m_buttons.left);
        break;
    default:
        Invalidate();
        return;
    }
    InvalidateRect(&r);
}

LRESULT CCustomTabCtrlBase::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (!m_trackingLeave) {
        TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, m_hWnd, 0};
        if (!::TrackMouseEvent(&tme))
            return 0;
        m_trackingLeave = true;
        UpdateLayout();
        Invalidate();
    }
    const POINT pt = PointOf(lParam);
    const Region region = RegionAt(pt);
    if (region != m_under) {
        InvalidateRegion(m_under);
        m_under = region;
        InvalidateRegion(region);
    }
    const Region hotButton = region == kTabArea ? kNone : region;
    if (m_pressed == kNone && hotButton != m_hotButton) {
        InvalidateRegion(m_hotButton);
        m_hotButton = hotButton;
        InvalidateRegion(hotButton);
    }
    if (GetStyle() & CTS_HOTTRACK) {
        const int hot = region == kTabArea ? HitTest(pt, nullptr) : -1;
        if (hot != m_hot) {
            m_hot = hot;
            Invalidate();
        }
    }
    return 0;
}

LRESULT CCustomTabCtrlBase::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&) {
    m_trackingLeave = false;
    m_hotButton = kNone;
    m_hot = -1;
    m_under = kNone;
    UpdateLayout();
    Invalidate();
    return 0;
}

LRESULT CCustomTabCtrlBase::OnLButtonDblClk(UINT, WPARAM, LPARAM lParam, BOOL&) {
    const POINT pt = PointOf(lParam);
    NotifyItem(NM_DBLCLK, HitTest(pt, nullptr), pt);
    return 0;
}

LRESULT CCustomTabCtrlBase::OnRButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&) {
    const POINT pt = PointOf(lParam);
    const int hit = HitTest(pt, nullptr);
    if (NotifyItem(NM_RCLICK, hit, pt) == 0 && hit >= 0) {
        SetFocus();
        SetCurSel(hit, true);
    }
    return 0;
}

LRESULT CCustomTabCtrlBase::OnRButtonDblClk(UINT, WPARAM, LPARAM lParam, BOOL&) {
    const POINT pt = PointOf(lParam);
    NotifyItem(NM_RDBLCLK, HitTest(pt, nullptr), pt);
    return 0;
}

// ---------------------------------------------------------------------------
// Painting.
// ---------------------------------------------------------------------------
LRESULT CCustomTabCtrlBase::OnPaint(UINT uMsg, WPARAM wParam, LPARAM, BOOL&) {
    if (uMsg == WM_PRINTCLIENT) {
        RECT client;
        GetClientRect(&client);
        Paint((HDC)wParam, client);
        return 0;
    }
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    {
        CMemoryDC memory(dc, ps.rcPaint);
        Paint(memory, ps.rcPaint);
    }
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

void CCustomTabCtrlBase::Paint(HDC dc, const RECT& area) {
    const int saved = ::SaveDC(dc);
    RECT client;
    GetClientRect(&client);
    ::IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
    ::SelectObject(dc, m_font ? m_font : ::GetStockObject(DEFAULT_GUI_FONT));
    NMCTCUSTOMDRAW cd = {};
    cd.nmcd.hdr.hwndFrom = m_hWnd;
    cd.nmcd.hdr.idFrom = (UINT_PTR)m_id;
    cd.nmcd.hdr.code = NM_CUSTOMDRAW;
    cd.nmcd.dwDrawStage = CDDS_PREPAINT;
    cd.nmcd.hdc = dc;
    cd.nmcd.rc = client;
    cd.hFont = m_font;
    cd.hFontSelected = m_selectedFont;
    cd.hBrushBackground = m_background;
    cd.clrTextInactive = m_inactiveText;
    cd.clrTextSelected = ::GetSysColor(COLOR_BTNTEXT);
    cd.clrSelectedTab = ::GetSysColor(COLOR_BTNFACE);
    cd.clrBtnFace = ::GetSysColor(COLOR_BTNFACE);
    cd.clrBtnShadow = ::GetSysColor(COLOR_BTNSHADOW);
    cd.clrBtnHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    cd.clrBtnText = ::GetSysColor(COLOR_BTNTEXT);
    cd.clrHighlight = ::GetSysColor(COLOR_HIGHLIGHT);
    cd.clrHighlightHotTrack = ::GetSysColor(COLOR_HOTLIGHT);
    HWND parent = GetParent();
    const LRESULT flags = ::SendMessageA(parent, WM_NOTIFY, (WPARAM)m_id, (LPARAM)&cd);
    if (!(flags & CDRF_SKIPDEFAULT))
        PaintBackground(dc, area);
    if (flags == 0 || (flags & CDRF_NOTIFYITEMDRAW)) {
        const int tabsSaved = ::SaveDC(dc);
        const bool hotTrack = (GetStyle() & CTS_HOTTRACK) != 0;
        if (GetStyle() & CTS_SCROLLBUTTONS) {
            const TabRect& a = m_buttons.area;
            ::IntersectClipRect(dc, a.left, a.top, a.right, a.bottom);
        }
        auto one = [&](int i, bool selected) {
            RECT r, dummy;
            GetItemRect(i, &r);
            if (!::IntersectRect(&dummy, &r, &area))
                return;
            const bool hot = hotTrack && i == m_hot;
            LRESULT itemFlags = 0;
            if (flags & CDRF_NOTIFYITEMDRAW) {
                cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
                cd.nmcd.dwItemSpec = (DWORD_PTR)i;
                cd.nmcd.uItemState = (selected ? CDIS_SELECTED : 0) | (hot ? CDIS_HOT : 0);
                cd.nmcd.rc = r;
                itemFlags = ::SendMessageA(parent, WM_NOTIFY, (WPARAM)m_id, (LPARAM)&cd);
            }
            if (!(itemFlags & CDRF_SKIPDEFAULT))
                PaintTab(dc, i, selected, hot);
            if ((flags & CDRF_NOTIFYITEMDRAW) && (itemFlags & CDRF_NOTIFYPOSTPAINT)) {
                cd.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
                ::SendMessageA(parent, WM_NOTIFY, (WPARAM)m_id, (LPARAM)&cd);
            }
        };
        for (int i = 0; i < GetItemCount(); ++i)
            if (i != m_selected)
                one(i, false);
        if (m_selected >= 0)
            one(m_selected, true);
        ::RestoreDC(dc, tabsSaved);
    }
    if (!(flags & CDRF_SKIPDEFAULT))
        PaintButtons(dc);
    if (flags & CDRF_NOTIFYPOSTPAINT) {
        cd.nmcd.dwDrawStage = CDDS_POSTPAINT;
        cd.nmcd.rc = client;
        ::SendMessageA(parent, WM_NOTIFY, (WPARAM)m_id, (LPARAM)&cd);
    }
    ::RestoreDC(dc, saved);
}

void CCustomTabCtrlBase::PaintBackground(HDC dc, const RECT& clip) {
    const RECT area = ToRect(m_buttons.area), right = ToRect(m_buttons.right),
               left = ToRect(m_buttons.left);
    RECT c;
    GetClientRect(&c);
    // A repaint of just the tabs or of one button needs no edges. Without
    // buttons the tab area is the whole strip, and a whole repaint must
    // draw them, or they would show only where a part was repainted.
    if (!::EqualRect(&clip, &c) &&
        (::EqualRect(&clip, &area) || ::EqualRect(&clip, &right) || ::EqualRect(&clip, &left))) {
        ::FillRect(dc, &clip, m_background);
        return;
    }
    ::FillRect(dc, &c, m_background);
    HPEN made;
    if (GetStyle() & CTS_BOTTOM) {
        RECT top = {c.left, c.top, c.right, c.top + 3};
        ::FillRect(dc, &top, ::GetSysColorBrush(COLOR_BTNFACE));
        HPEN old = SelectPen(dc, COLOR_BTNTEXT, &made);
        Line(dc, c.left, c.top + 3, c.right, c.top + 3);
        Unselect(dc, old, made);
    } else {
        RECT bottom = {c.left, c.bottom - 2, c.right, c.bottom};
        ::FillRect(dc, &bottom, ::GetSysColorBrush(COLOR_BTNFACE));
        HPEN old = SelectPen(dc, COLOR_BTNHIGHLIGHT, &made);
        Line(dc, c.left, c.bottom - 3, c.right, c.bottom - 3);
        Unselect(dc, old, made);
        old = SelectPen(dc, COLOR_BTNSHADOW, &made);
        ::MoveToEx(dc, c.left, c.bottom - 3, NULL);
        ::LineTo(dc, c.left, c.top);
        ::LineTo(dc, c.right - 1, c.top);
        Unselect(dc, old, made);
        old = SelectPen(dc, COLOR_BTNHIGHLIGHT, &made);
        Line(dc, c.right - 1, c.top, c.right - 1, c.bottom - 3);
        Unselect(dc, old, made);
        old = SelectPen(dc, COLOR_BTNFACE, &made);
        Line(dc, c.right - 2, c.top + 1, c.right - 2, c.bottom - 2);
        Unselect(dc, old, made);
    }
}

void CCustomTabCtrlBase::PaintTab(HDC dc, int index, bool selected, bool hot) {
    const CCustomTabItem* item = m_items[(size_t)index];
    RECT r;
    GetItemRect(index, &r);
    RECT t = r;
    const bool bottom = (GetStyle() & CTS_BOTTOM) != 0;
    r.bottom -= 2;
    t.top = r.top + m_verticalTextOffset + (bottom ? 4 : 1);
    r.top += 3;
    HPEN made;
    if (selected) {
        r.right -= 1;
        ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
        if (bottom) {
            HPEN old = SelectPen(dc, COLOR_BTNTEXT, &made);
            ::MoveToEx(dc, r.right, r.top, NULL);
            ::LineTo(dc, r.right, r.bottom);
            ::LineTo(dc, r.left, r.bottom);
            Unselect(dc, old, made);
            old = SelectPen(dc, COLOR_BTNHIGHLIGHT, &made);
            ::MoveToEx(dc, r.left, r.bottom, NULL);
            ::LineTo(dc, r.left, r.top - 1);
            Unselect(dc, old, made);
        } else {
            HPEN old = SelectPen(dc, COLOR_BTNHIGHLIGHT, &made);
            ::MoveToEx(dc, r.left, r.bottom - 1, NULL);
            ::LineTo(dc, r.left, r.top);
            ::LineTo(dc, r.right, r.top);
            Unselect(dc, old, made);
            old = SelectPen(dc, COLOR_BTNTEXT, &made);
            ::MoveToEx(dc, r.right, r.top, NULL);
            ::LineTo(dc, r.right, r.bottom);
            Unselect(dc, old, made);
        }
    } else if (index != GetItemCount() - 1) {
        HPEN old = SelectPen(dc, COLOR_BTNSHADOW, &made);
        if (bottom)
            Line(dc, r.right - 1, r.top + 3, r.right - 1, r.bottom - 1);
        else
            Line(dc, r.right - 1, r.top + 2, r.right - 1, r.bottom - 2);
        Unselect(dc, old, made);
    }
    ::SelectObject(dc, selected && m_selectedFont ? m_selectedFont : m_font);
    ::SetTextColor(dc, hot        ? ::GetSysColor(COLOR_HOTLIGHT)
                       : selected ? ::GetSysColor(COLOR_BTNTEXT)
                                  : m_inactiveText);
    ::SetBkMode(dc, TRANSPARENT);
    t.left += kTabInset;
    t.right -= kTabInset;
    if (item->HasImage() && m_images != NULL) {
        int iw = 0, ih = 0;
        ImageList_GetIconSize(m_images, &iw, &ih);
        if (iw < r.right - r.left) {
            ImageList_Draw(m_images, item->image, dc, t.left, (r.top + r.bottom - ih) / 2,
                           ILD_TRANSPARENT);
            t.left += iw;
        }
    }
    if (t.left + kMinTextRoom < t.right) {
        t.left += kTabTextMargin;
        t.right -= kTabTextMargin;
        t.bottom = r.bottom;
        ::DrawTextA(dc, item->text.c_str(), -1, &t,
                    DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}

void CCustomTabCtrlBase::PaintButtons(HDC dc) {
    const DWORD style = GetStyle();
    HPEN pen = ::CreatePen(PS_SOLID, 1, m_inactiveText);
    HBRUSH brush = ::CreateSolidBrush(m_inactiveText);
    HGDIOBJ oldPen = ::SelectObject(dc, pen), oldBrush = ::SelectObject(dc, brush);
    auto edge = [&](Region which, RECT r, bool active) {
        if (!active)
            return;
        if (m_pressed == which && m_under == which)
            ::DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
        else if (m_pressed == kNone && m_hotButton == which)
            ::DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    };
    if ((style & CTS_CLOSEBUTTON) && m_buttons.close.Width() > 0) {
        RECT r = ToRect(m_buttons.close);
        const int d = m_pressed == kClose && m_under == kClose ? 1 : 0;
        const int l = r.left + d, t = r.top + d, rr = r.right + d, b = r.bottom + d;
        Line(dc, l + 3, t + 4, rr - 5, b - 4);
        Line(dc, l + 4, t + 4, rr - 4, b - 4);
        Line(dc, l + 3, b - 5, rr - 5, t + 3);
        Line(dc, l + 4, b - 5, rr - 4, t + 3);
        edge(kClose, r, true);
    }
    if ((style & CTS_SCROLLBUTTONS) && m_buttons.right.Width() > 0) {
        auto triangle = [&](Region which, RECT r, bool can, bool pointsRight) {
            const int d = can && m_pressed == which && m_under == which ? 1 : 0;
            const int l = r.left + d, t = r.top + d, rr = r.right + d, b = r.bottom + d;
            const int mid = (t + b) / 2;
            POINT p[3];
            if (pointsRight) {
                p[0] = POINT{l + 5, t + 3};
                p[1] = POINT{rr - 6, mid};
                p[2] = POINT{l + 5, b - 4};
            } else {
                p[0] = POINT{rr - 6, t + 3};
                p[1] = POINT{l + 5, mid};
                p[2] = POINT{rr - 6, b - 4};
            }
            if (can) {
                ::Polygon(dc, p, 3);
            } else {
                ::MoveToEx(dc, p[0].x, p[0].y, NULL);
                ::LineTo(dc, p[1].x, p[1].y);
                ::LineTo(dc, p[2].x, p[2].y);
                ::LineTo(dc, p[0].x, p[0].y);
            }
            edge(which, r, can);
        };
        triangle(kScrollRight, ToRect(m_buttons.right), m_canScrollRight, true);
        triangle(kScrollLeft, ToRect(m_buttons.left), m_canScrollLeft, false);
    }
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
    ::DeleteObject(pen);
    ::DeleteObject(brush);
}
