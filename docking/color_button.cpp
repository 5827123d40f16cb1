// The colour button's window side; the table, geometry, keys and placement
// are in docking/logic/color_picker.
#include "docking/color_button.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstddef>
#include <vector>

using namespace docking;

namespace {

constexpr int kPushButtonPart = 1; // the theme class's push-button part

constexpr int kCellOuter = 0, kCellInner = 2;
constexpr int kTextOuter = 2, kTextInner = 3;

COLORREF CustomColours[16]; // shared by every button of the process

// The popup window; it only forwards to the button that runs it.
class CColorPickerWnd : public CWindowImpl<CColorPickerWnd> {
public:
    DECLARE_WND_CLASS_EX("ColorPicker",
                         CS_HREDRAW | CS_VREDRAW | CS_CLASSDC | CS_SAVEBITS | CS_DROPSHADOW,
                         COLOR_MENU)
    explicit CColorPickerWnd(CColorButton* owner) : m_owner(owner) {}

    BEGIN_MSG_MAP(CColorPickerWnd)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_QUERYNEWPALETTE, OnPalette)
    MESSAGE_HANDLER(WM_PALETTECHANGED, OnPalette)
    END_MSG_MAP()

private:
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(m_hWnd, &ps);
        m_owner->PaintPopup(dc);
        ::EndPaint(m_hWnd, &ps);
        return 0;
    }
    LRESULT OnPalette(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&) {
        return m_owner->PopupPaletteMessage(uMsg, wParam, lParam);
    }
    CColorButton* m_owner;
};

void Fill(HDC dc, const RECT& r, COLORREF c) {
    ::SetBkColor(dc, c);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, NULL, 0, NULL);
}

RECT ToRect(const PickerRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

bool WindowsXpOrLater() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!::GetVersionExA(&info))
        return false;
    return info.dwMajorVersion > 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion >= 1);
}

// The work area of the monitor nearest `hWnd`, or the primary screen where
// the monitor functions are missing.
PickerRect WorkAreaFor(HWND hWnd) {
    typedef HMONITOR(WINAPI * FromWindowFn)(HWND, DWORD);
    typedef BOOL(WINAPI * InfoFn)(HMONITOR, LPMONITORINFO);
    HMODULE user = ::GetModuleHandleA("user32.dll");
    FromWindowFn fromWindow =
        user ? (FromWindowFn)(void*)::GetProcAddress(user, "MonitorFromWindow") : nullptr;
    InfoFn info = user ? (InfoFn)(void*)::GetProcAddress(user, "GetMonitorInfoA") : nullptr;
    if (fromWindow && info) {
        MONITORINFO mi = {};
        mi.cbSize = sizeof(mi);
        HMONITOR monitor = fromWindow(hWnd, MONITOR_DEFAULTTONEAREST);
        if (monitor != NULL && info(monitor, &mi))
            return PickerRect{mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom};
    }
    return PickerRect{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

} // namespace

CColorButton::CColorButton() : defaultColour(::GetSysColor(COLOR_APPWORKSPACE)) {}

CColorButton::~CColorButton() {
    CloseTheme();
}

BOOL CColorButton::SubclassWindow(HWND hWnd) {
    if (!CWindowImpl<CColorButton>::SubclassWindow(hWnd))
        return FALSE;
    LONG style = ::GetWindowLongA(hWnd, GWL_STYLE);
    if ((style & BS_TYPEMASK) != BS_OWNERDRAW)
        ::SetWindowLongA(hWnd, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
    OpenTheme();
    return TRUE;
}

void CColorButton::OpenTheme() {
    m_theme.Open(m_hWnd, L"Button");
}

void CColorButton::CloseTheme() {
    m_theme.Close();
}

LRESULT CColorButton::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) {
    OpenTheme();
    handled = FALSE;
    return 0;
}

LRESULT CColorButton::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    CloseTheme();
    handled = FALSE;
    return 0;
}

LRESULT CColorButton::OnThemeChanged(UINT, WPARAM, LPARAM, BOOL& handled) {
    OpenTheme();
    handled = FALSE;
    return 0;
}

LRESULT CColorButton::OnMouseMove(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (!m_mouseOver) {
        m_mouseOver = true;
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWnd, 0};
        ::TrackMouseEvent(&track);
        ::InvalidateRect(m_hWnd, NULL, FALSE);
    }
    handled = FALSE;
    return 0;
}

LRESULT CColorButton::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL& handled) {
    m_mouseOver = false;
    ::InvalidateRect(m_hWnd, NULL, FALSE);
    handled = FALSE;
    return 0;
}

LRESULT CColorButton::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&) {
    const DRAWITEMSTRUCT* item = (const DRAWITEMSTRUCT*)lParam;
    if (item == nullptr)
        return FALSE;
    HDC dc = item->hDC;
    const UINT state = item->itemState;
    const bool selected = (state & ODS_SELECTED) != 0;
    const bool disabled = (state & ODS_DISABLED) != 0;
    RECT content = item->rcItem;

    if (m_theme.IsThemed()) {
        int stateId = selected ? 3 : 0;
        if (disabled)
            stateId |= 4;
        if ((state & ODS_HOTLIGHT) || m_mouseOver)
            stateId |= 2;
        else if (state & ODS_DEFAULT)
            stateId |= 5;
        m_theme.DrawBackground(dc, kPushButtonPart, stateId, item->rcItem);
        m_theme.ContentRect(dc, kPushButtonPart, stateId, item->rcItem, &content);
    } else {
        UINT flags = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
        if (selected)
            flags |= DFCS_PUSHED;
        if (disabled)
            flags |= DFCS_INACTIVE;
        ::DrawFrameControl(dc, &content, DFC_BUTTON, flags);
        if (selected || m_popupOpen)
            ::OffsetRect(&content, 1, 1);
    }

    if ((state & ODS_FOCUS) || m_popupOpen) {
        RECT focus = {content.left, content.top, content.right - 1, content.bottom};
        ::DrawFocusRect(dc, &focus);
    }

    const int edgeX = ::GetSystemMetrics(SM_CXEDGE);
    const int edgeY = ::GetSystemMetrics(SM_CYEDGE);
    ::InflateRect(&content, -edgeX, -edgeY);

    const int x = content.right - edgeX / 2;
    const int y = (content.top + content.bottom) / 2;
    POINT arrow[3] = {{x - 4, y - 1}, {x, y - 1}, {x - 2, y + 1}};
    const COLORREF arrowColour = disabled ? ::GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 0);
    HBRUSH arrowBrush = ::CreateSolidBrush(arrowColour);
    HPEN arrowPen = ::CreatePen(PS_SOLID, 1, arrowColour);
    HGDIOBJ oldBrush = ::SelectObject(dc, arrowBrush);
    HGDIOBJ oldPen = ::SelectObject(dc, arrowPen);
    ::Polygon(dc, arrow, 3);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(arrowBrush);
    ::DeleteObject(arrowPen);

    content.right = x - edgeX / 2 - 4;
    ::DrawEdge(dc, &content, EDGE_ETCHED, BF_RIGHT);
    content.right -= 2 * edgeX + 1;

    if (!disabled) {
        HBRUSH swatch = ::CreateSolidBrush(ShownColour());
        ::FillRect(dc, &content, swatch);
        ::DeleteObject(swatch);
        ::FrameRect(dc, &content, (HBRUSH)::GetStockObject(BLACK_BRUSH));
    }
    return TRUE;
}

void CColorButton::Notify(UINT code, BOOL valid) {
    NMCOLORPICK nm = {};
    nm.hdr.hwndFrom = m_hWnd;
    nm.hdr.idFrom = (UINT_PTR)::GetDlgCtrlID(m_hWnd);
    nm.hdr.code = code;
    nm.fColorValid = valid;
    nm.clr = colour;
    ::SendMessageA(::GetParent(m_hWnd), WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm);
}

LRESULT CColorButton::OnClicked(WORD, WORD, HWND, BOOL&) {
    m_popupOpen = true;
    ::InvalidateRect(m_hWnd, NULL, FALSE);
    Notify(CLRN_DROPDOWN);
    const COLORREF before = colour;

    const bool picked = RunPicker();
    m_popupOpen = false;

    UINT final;
    if (picked) {
        if (colour != before)
            Notify(CLRN_CHANGE);
        final = CLRN_PICKED;
    } else {
        if (trackSelection && colour != before) {
            colour = before;
            Notify(CLRN_CHANGE);
        }
        final = CLRN_CANCELLED;
    }
    Notify(CLRN_CLOSEUP);
    Notify(final);
    if (m_hWnd != NULL)
        ::InvalidateRect(m_hWnd, NULL, FALSE);
    return 0;
}

PickerRect CColorButton::ItemRect(int item) const {
    if (item == kItemDefault)
        return m_layout.defaultRow;
    if (item == kItemCustom)
        return m_layout.customRow;
    const int left = m_layout.grid.left + (item % kColorColumns) * kColorPitch;
    const int top = m_layout.grid.top + (item / kColorColumns) * kColorPitch;
    return PickerRect{left, top, left + kColorPitch, top + kColorPitch};
}

void CColorButton::DrawItem(HDC dc, int item) {
    if (item == kItemNone)
        return;
    const bool isText = item == kItemDefault || item == kItemCustom;
    const int outer = isText ? kTextOuter : kCellOuter;
    const int inner = isText ? kTextInner : kCellInner;
    RECT r = ToRect(ItemRect(item));
    COLORREF text = m_clrText;
    if (item == m_hot || item == m_current) {
        Fill(dc, r, m_clrMenu);
        if (outer > 0)
            ::InflateRect(&r, -outer, -outer);
        Fill(dc, r, m_clrBorder);
        ::InflateRect(&r, -1, -1);
        Fill(dc, r, item == m_hot ? m_clrHotFill : m_clrCurrentFill);
        ::InflateRect(&r, -(inner - 1), -(inner - 1));
        if (item == m_hot)
            text = m_clrHotText;
    } else {
        Fill(dc, r, m_clrMenu);
        ::InflateRect(&r, -(outer + inner), -(outer + inner));
    }

    if (isText) {
        const std::string& label = item == kItemDefault ? defaultText : customText;
        HGDIOBJ oldFont = ::SelectObject(dc, m_font);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, text);
        ::DrawTextA(dc, label.c_str(), (int)label.size(), &r,
                    DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        ::SelectObject(dc, oldFont);
        return;
    }
    HPALETTE oldPalette = NULL;
    const bool paletted = (::GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0;
    if (paletted && m_palette != NULL) {
        oldPalette = ::SelectPalette(dc, m_palette, FALSE);
        ::RealizePalette(dc);
    }
    Fill(dc, r, ::GetSysColor(COLOR_BTNSHADOW));
    ::InflateRect(&r, -1, -1);
    Fill(dc, r, ColorOf(kColorTable[item]));
    if (oldPalette != NULL)
        ::SelectPalette(dc, oldPalette, FALSE);
}

void CColorButton::PaintPopup(HDC dc) {
    RECT client;
    ::GetClientRect(m_popup, &client);
    if (m_flatMenu) {
        HBRUSH frame = ::CreateSolidBrush(::GetSysColor(COLOR_GRAYTEXT));
        ::FrameRect(dc, &client, frame);
        ::DeleteObject(frame);
    } else {
        ::DrawEdge(dc, &client, EDGE_RAISED, BF_RECT);
    }
    if (!defaultText.empty())
        DrawItem(dc, kItemDefault);
    for (int i = 0; i < kColorCount; ++i)
        DrawItem(dc, i);
    if (!customText.empty())
        DrawItem(dc, kItemCustom);
}

LRESULT CColorButton::PopupPaletteMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_QUERYNEWPALETTE) {
        ::InvalidateRect(m_hWnd, NULL, FALSE);
        return DefWindowProc(uMsg, wParam, lParam);
    }
    LRESULT result = DefWindowProc(uMsg, wParam, lParam);
    if ((HWND)wParam != m_hWnd)
        ::InvalidateRect(m_hWnd, NULL, FALSE);
    return result;
}

void CColorButton::SetHot(int item) {
    if (item == m_hot)
        return;
    HDC dc = m_popup != NULL ? ::GetDC(m_popup) : NULL;
    const int previous = m_hot;
    m_hot = item;
    if (dc != NULL && previous != kItemNone)
        DrawItem(dc, previous);
    if (dc != NULL)
        DrawItem(dc, m_hot);
    if (dc != NULL)
        ::ReleaseDC(m_popup, dc);

    COLORREF preview = defaultColour;
    if (item >= 0) {
        m_chosen = ColorOf(kColorTable[item]);
        preview = m_chosen;
    } else if (item == kItemDefault) {
        m_chosen = defaultColour;
    }
    if (trackSelection) {
        if (item != kItemNone)
            colour = preview;
        ::InvalidateRect(m_hWnd, NULL, FALSE);
        Notify(CLRN_CHANGE, item != kItemNone);
    }
}

void CColorButton::MoveHot(int delta) {
    SetHot(MovePickerItem(m_hot, delta, !defaultText.empty(), !customText.empty()));
}

bool CColorButton::RunPicker() {
    m_clrMenu = ::GetSysColor(COLOR_MENU);
    m_clrBorder = ::GetSysColor(COLOR_HIGHLIGHT);
    m_clrHotFill = ::GetSysColor(COLOR_HIGHLIGHT);
    m_clrHotText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    m_clrText = ::GetSysColor(COLOR_MENUTEXT);
    const COLORREF hl = m_clrBorder;
    auto mix = [](int menu, int high) { return (menu * 207 + high * 48) / 256; };
    m_clrCurrentFill =
        RGB(mix(GetRValue(m_clrMenu), GetRValue(hl)), mix(GetGValue(m_clrMenu), GetGValue(hl)),
            mix(GetBValue(m_clrMenu), GetBValue(hl)));
    BOOL flat = FALSE;
    m_flatMenu =
        WindowsXpOrLater() && ::SystemParametersInfoA(SPI_GETFLATMENU, 0, &flat, 0) && flat;
    m_hot = m_current = kItemNone;
    m_chosen = colour;

    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    m_font = ::CreateFontIndirectA(&metrics.lfMessageFont);

    // A palette record carries its entries past the end of its header.
    std::vector<BYTE> record(offsetof(LOGPALETTE, palPalEntry) +
                             kColorCount * sizeof(PALETTEENTRY));
    LOGPALETTE* pal = (LOGPALETTE*)record.data();
    pal->palVersion = 0x300;
    pal->palNumEntries = kColorCount;
    PALETTEENTRY* entries = (PALETTEENTRY*)(record.data() + offsetof(LOGPALETTE, palPalEntry));
    for (int i = 0; i < kColorCount; ++i)
        entries[i] = PALETTEENTRY{kColorTable[i].r, kColorTable[i].g, kColorTable[i].b, 0};
    m_palette = ::CreatePalette(pal);

    RECT button;
    ::GetWindowRect(m_hWnd, &button);
    CColorPickerWnd popupWnd(this);
    RECT start = {button.left, button.bottom, button.left + 100, button.bottom + 100};
    m_popup = popupWnd.Create(::GetParent(m_hWnd), start, "", WS_POPUP, 0);
    bool picked = false;
    if (m_popup != NULL) {
        HDC dc = ::GetDC(m_popup);
        HGDIOBJ oldFont = ::SelectObject(dc, m_font);
        SIZE size = {0, 0};
        for (const std::string* text : {&defaultText, &customText}) {
            SIZE s = {0, 0};
            if (!text->empty() &&
                ::GetTextExtentPoint32A(dc, text->c_str(), (int)text->size(), &s)) {
                size.cx = std::max(size.cx, s.cx);
                size.cy = std::max(size.cy, s.cy);
            }
        }
        ::SelectObject(dc, oldFont);
        ::ReleaseDC(m_popup, dc);
        const int edgeX = ::GetSystemMetrics(SM_CXEDGE);
        const int edgeY = ::GetSystemMetrics(SM_CYEDGE);
        m_layout =
            LayoutPicker(size.cx, size.cy, !defaultText.empty(), !customText.empty(), edgeX, edgeY);
        int x = 0, y = 0;
        PlacePicker(WorkAreaFor(m_hWnd),
                    PickerRect{button.left, button.top, button.right, button.bottom},
                    m_layout.clientWidth, m_layout.clientHeight, x, y);
        ::SetWindowPos(m_popup, HWND_TOP, x, y, m_layout.clientWidth, m_layout.clientHeight,
                       SWP_NOACTIVATE);

        HWND tooltip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, NULL, TTS_ALWAYSTIP,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                         m_popup, NULL, UiModuleInstance(), NULL);
        if (tooltip != NULL) {
            for (int i = 0; i < kColorCount; ++i) {
                TTTOOLINFOA tool = {};
                tool.cbSize = sizeof(tool);
                tool.hwnd = m_popup;
                tool.uId = (UINT_PTR)(i + 1);
                tool.rect = ToRect(ItemRect(i));
                tool.lpszText = (LPSTR)kColorTable[i].name;
                ::SendMessageA(tooltip, TTM_ADDTOOLA, 0, (LPARAM)&tool);
            }
        }
        m_current = CurrentPickerItem(colour, !defaultText.empty(), !customText.empty());

        ::ShowWindow(m_popup, SW_SHOWNA);
        ::UpdateWindow(m_popup);
        ::SetCapture(m_popup);

        MSG msg;
        while (::GetCapture() == m_popup) {
            if (!::GetMessageA(&msg, NULL, 0, 0)) {
                ::PostQuitMessage((int)msg.wParam);
                break;
            }
            if (tooltip != NULL)
                ::SendMessageA(tooltip, TTM_RELAYEVENT, 0, (LPARAM)&msg);
            switch (msg.message) {
            case WM_MOUSEMOVE:
            case WM_LBUTTONUP: {
                POINT pt = {(short)LOWORD(msg.lParam), (short)HIWORD(msg.lParam)};
                if (msg.hwnd != m_popup)
                    ::MapWindowPoints(msg.hwnd, m_popup, &pt, 1);
                const int item = PickerHitTest(m_layout, pt.x, pt.y);
                SetHot(item);
                if (msg.message == WM_LBUTTONUP) {
                    ::ReleaseCapture();
                    picked = item != kItemNone;
                }
                break;
            }
            case WM_RBUTTONDOWN:
                ::ReleaseCapture();
                picked = false;
                break;
            case WM_KEYDOWN:
                switch (msg.wParam) {
                case VK_RETURN:
                case VK_SPACE:
                    ::ReleaseCapture();
                    picked = m_hot != kItemNone;
                    break;
                case VK_ESCAPE:
                    ::ReleaseCapture();
                    picked = false;
                    break;
                case VK_LEFT:
                    MoveHot(-1);
                    break;
                case VK_RIGHT:
                    MoveHot(+1);
                    break;
                case VK_UP:
                    MoveHot(-kColorColumns);
                    break;
                case VK_DOWN:
                    MoveHot(+kColorColumns);
                    break;
                }
                break;
            case WM_KEYUP:
                break;
            default:
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
                break;
            }
        }
        ::ReleaseCapture();
        if (tooltip != NULL)
            ::DestroyWindow(tooltip);
        ::DestroyWindow(m_popup);
        m_popup = NULL;

        if (picked) {
            if (m_hot == kItemCustom) {
                CHOOSECOLORA cc = {};
                cc.lStructSize = sizeof(cc);
                cc.hwndOwner = m_hWnd;
                cc.rgbResult = colour == CLR_AUTOMATIC ? defaultColour : colour;
                cc.lpCustColors = CustomColours;
                cc.Flags = CC_FULLOPEN | CC_ANYCOLOR | (cc.rgbResult != 0 ? CC_RGBINIT : 0);
                if (::ChooseColorA(&cc))
                    colour = cc.rgbResult;
                else
                    picked = false;
            } else {
                colour = m_chosen;
            }
        }
    }
    ::DeleteObject(m_font);
    m_font = NULL;
    ::DeleteObject(m_palette);
    m_palette = NULL;
    return picked;
}
