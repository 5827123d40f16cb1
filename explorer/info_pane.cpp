#include "explorer/info_pane.h"

#include <shlwapi.h>

#include <cstring>

#include "app/logic/image_attributes.h"
#include "imaging/image_object.h"
#include "resources/resource.h"
#include "tools/logic/attributes_date.h"

namespace {

constexpr COLORREF kHeaderColor = RGB(204, 204, 204);
constexpr COLORREF kHeaderRuleColor = RGB(153, 153, 153);
constexpr COLORREF kBodyColor = RGB(247, 247, 247);
constexpr COLORREF kStatusColor = RGB(236, 233, 216);
constexpr COLORREF kStatusRuleColor = RGB(172, 168, 153);
constexpr int kButtonSide = 16;

// The string-table text, or the fallback when the module carries no table
// (a test program without the program's resources).
std::string LoadText(UINT id, const char* fallback) {
    char text[256] = "";
    if (::LoadStringA(UiModuleInstance(), id, text, sizeof text) > 0)
        return text;
    return fallback;
}

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
    const RECT rect = {left, top, right, bottom};
    ::SetBkColor(dc, color);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, NULL, 0, NULL);
}

// The pane's fonts: 8 points at the display's resolution (a raster font of
// height 1 comes out one pixel high on some systems).
HFONT MakeFont(HDC dc, int weight) {
    LOGFONTA font = {};
    font.lfHeight = -::MulDiv(8, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(font.lfFaceName, "MS Sans Serif");
    return ::CreateFontIndirectA(&font);
}

std::string ShortDate(const SYSTEMTIME& time) {
    char text[80] = "";
    ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, NULL, text, sizeof text);
    return text;
}

InfoPaneFormatters LocaleFormatters() {
    InfoPaneFormatters f;
    f.date = [](uint16_t year, uint8_t month, uint8_t day) {
        SYSTEMTIME time = {};
        time.wYear = year;
        time.wMonth = month;
        time.wDay = day;
        return ShortDate(time);
    };
    // The file time as stored, without conversion to local time.
    f.fileTime = [](uint64_t value) {
        FILETIME fileTime = {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
        SYSTEMTIME time = {};
        if (!::FileTimeToSystemTime(&fileTime, &time))
            return std::string();
        char clock[80] = "";
        ::GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, NULL, clock, sizeof clock);
        return ShortDate(time) + " " + clock;
    };
    f.byteSize = [](uint32_t bytes) {
        char text[50] = "";
        ::StrFormatByteSizeA(bytes, text, sizeof text);
        return std::string(text);
    };
    return f;
}

} // namespace

CInfoPane::~CInfoPane() {
    if (m_images)
        ImageList_Destroy(m_images);
}

HWND CInfoPane::Create(HWND parent, HWND owner, UINT id) {
    m_owner = owner;
    return CWindowImpl<CInfoPane>::Create(parent, UiRectArg(), NULL,
                                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                          0, UiMenuOrId(id));
}

std::string CInfoPane::LabelText(EInfoRow kind) {
    switch (kind) {
    case kInfoRowFileName:
        return LoadText(IDS_INFO_FILENAME, "Filename:");
    case kInfoRowArtist:
        return LoadText(IDS_INFO_ARTIST, "Artist:");
    case kInfoRowDimensions:
        return LoadText(IDS_INFO_DIMENSIONS, "Dimensions:");
    case kInfoRowFileSize:
        return LoadText(IDS_INFO_FILE_SIZE, "File size:");
    case kInfoRowColors:
        return LoadText(IDS_INFO_COLORS, "Colors:");
    case kInfoRowPages:
        return LoadText(IDS_INFO_PAGES, "Pages:");
    case kInfoRowType:
        return LoadText(IDS_INFO_TYPE, "Type:");
    case kInfoRowTaken:
        return LoadText(IDS_INFO_TAKEN, "Taken:");
    case kInfoRowModified:
        return LoadText(IDS_INFO_MODIFIED, "Modified:");
    case kInfoRowKeywords:
        return LoadText(IDS_INFO_KEYWORDS, "Keywords:");
    case kInfoRowDescription:
        return LoadText(IDS_INFO_DESCRIPTION, "Description:");
    }
    return std::string();
}

void CInfoPane::SetImage(const CImageObject* image, const CImageAttributes* attributes, int index,
                         int count, const char* status) {
    m_hasImage = image != nullptr;
    m_facts = InfoPaneFacts();
    if (image) {
        m_facts.fileName = ::PathFindFileNameA(image->path);
        m_facts.width = image->fullWidth;
        m_facts.height = image->fullHeight;
        m_facts.fileSize = image->fileSize;
        m_facts.bitsPerPixel = image->bitsPerPixel;
        m_facts.pages = image->FrameCount() + 1;
        m_facts.fileTime = image->fileTime;
        m_facts.typeName = GetImageFileTypeName(DetectImageFileType(image->path));
        if (attributes) {
            m_facts.artist = attributes->artist;
            m_facts.keywords = attributes->keywords;
            m_facts.description = attributes->description;
            const AttributesDate date = UnpackAttributesDate(attributes->date);
            m_facts.year = date.year;
            m_facts.month = date.month;
            m_facts.day = date.day;
        }
    }
    m_count = count;
    m_index = ClampInfoIndex(index, count);
    if (status)
        m_status = status;
    Refresh();
}

void CInfoPane::SetStatusText(const char* text) {
    m_status = text ? std::string(text, ::strnlen(text, 256)) : std::string();
    Refresh();
}

void CInfoPane::SetSelectionCount(int selected) {
    SetStatusText(
        SelectionCountText(LoadText(IDS_INFO_SELECTED, "%d object selected"), selected).c_str());
}

std::string CInfoPane::HeaderText() const {
    return m_hasImage ? FormatInfoHeader(LoadText(IDS_INFO_POSITION, "%d of %d "), m_index, m_count)
                      : std::string();
}

std::vector<InfoRow> CInfoPane::Rows() const {
    return m_hasImage ? BuildInfoRows(m_facts, LocaleFormatters()) : std::vector<InfoRow>();
}

std::string CInfoPane::Summary() const {
    std::string text = HeaderText();
    for (const InfoRow& row : Rows())
        text += "\r\n" + LabelText(row.kind) + " " + row.value;
    if (!m_status.empty())
        text += "\r\n" + m_status;
    return text;
}

void CInfoPane::Refresh() {
    if (!m_hWnd)
        return;
    ::SetWindowTextA(m_hWnd, Summary().c_str());
    InvalidateRect(NULL, FALSE);
    UpdateWindow();
}

LRESULT CInfoPane::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    m_images = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 0);
    for (UINT icon : {IDI_INFO_EDIT_HOT, IDI_INFO_EDIT}) {
        HICON handle =
            (HICON)::LoadImageA(UiModuleInstance(), MAKEINTRESOURCEA(icon), IMAGE_ICON, 16, 16, 0);
        if (handle) {
            ImageList_AddIcon(m_images, handle);
            ::DestroyIcon(handle);
        }
    }
    ImageList_SetBkColor(m_images, kHeaderColor);
    m_button = ::CreateWindowExA(
        0, "BUTTON", "Edit Properties",
        WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | BS_PUSHBUTTON | BS_OWNERDRAW, 0, 0,
        kButtonSide, kButtonSide, m_hWnd, (HMENU)1, UiModuleInstance(), NULL);
    m_tooltip = ::CreateWindowExA(0, TOOLTIPS_CLASSA, NULL, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                  m_hWnd, NULL, UiModuleInstance(), NULL);
    if (m_tooltip && m_button) {
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_hWnd;
        tool.uId = (UINT_PTR)m_button;
        tool.lpszText = const_cast<char*>("Edit Properties");
        ::SendMessageA(m_tooltip, TTM_ADDTOOLA, 0, (LPARAM)&tool);
    }
    return 0;
}

void CInfoPane::PlaceButton(const RECT&) {
    if (!m_button)
        return;
    ::SetWindowPos(m_button, NULL, 0, 0, kButtonSide, kButtonSide,
                   SWP_NOZORDER | SWP_NOACTIVATE | (m_hasImage ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

LRESULT CInfoPane::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    RECT client;
    GetClientRect(&client);
    PlaceButton(client);
    Paint(dc, client);
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

void CInfoPane::Paint(HDC dc, const RECT& client) {
    const int width = client.right;
    const int height = client.bottom;
    if (!m_hasImage) {
        Fill(dc, 0, 0, width, height, kBodyColor);
        return;
    }
    HFONT bold = MakeFont(dc, FW_BOLD);
    HFONT normal = MakeFont(dc, FW_NORMAL);
    HGDIOBJ oldFont = ::SelectObject(dc, normal);
    ::SetBkMode(dc, TRANSPARENT);

    Fill(dc, 0, 0, width, kInfoHeaderHeight, kHeaderColor);
    const std::string header = HeaderText();
    RECT headerRect = {kButtonSide, 0, width, kInfoHeaderHeight};
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::DrawTextA(dc, header.c_str(), -1, &headerRect,
                DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    Fill(dc, 0, kInfoHeaderHeight, width, kInfoHeaderHeight + 1, kHeaderRuleColor);
    Fill(dc, 0, kInfoHeaderHeight + 1, width, height, kBodyColor);

    ::SetTextColor(dc, RGB(0, 0, 0));
    int slot = 0;
    for (const InfoRow& row : Rows()) {
        const int top = InfoRowTop(slot);
        const std::string label = LabelText(row.kind);
        RECT labelRect = {kInfoLabelLeft, top, kInfoValueLeft, top + kInfoRowHeight};
        ::SelectObject(dc, bold);
        ::DrawTextA(dc, label.c_str(), -1, &labelRect,
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        ::SelectObject(dc, normal);
        if (row.kind == kInfoRowDescription) {
            // The text wraps below its label, down to 5 pixels above the bottom.
            RECT textRect = {kInfoLabelLeft, InfoRowTop(slot + 1), width - kInfoLabelLeft,
                             height - 5};
            if (textRect.bottom > textRect.top)
                ::DrawTextA(dc, row.value.c_str(), -1, &textRect,
                            DT_LEFT | DT_WORDBREAK | DT_EDITCONTROL | DT_WORD_ELLIPSIS |
                                DT_NOPREFIX);
        } else {
            RECT valueRect = {kInfoValueLeft, top, width, top + kInfoRowHeight};
            ::DrawTextA(dc, row.value.c_str(), -1, &valueRect,
                        DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        }
        ++slot;
    }

    if (!m_status.empty()) {
        const int top = height - kInfoStatusHeight;
        Fill(dc, 0, top, width, height, kStatusColor);
        Fill(dc, 0, top - 1, width, top, kStatusRuleColor);
        RECT statusRect = {5, top, width, height};
        ::DrawTextA(dc, m_status.c_str(), -1, &statusRect,
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    ::SelectObject(dc, oldFont);
    ::DeleteObject(bold);
    ::DeleteObject(normal);
}

LRESULT CInfoPane::OnDoubleClick(UINT, WPARAM, LPARAM, BOOL&) {
    if (m_owner)
        ::SendMessageA(m_owner, WM_COMMAND, MAKEWPARAM(kInfoPaneCommand, 0), 0);
    return 0;
}

LRESULT CInfoPane::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    const DRAWITEMSTRUCT* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (!draw || draw->hwndItem != m_button) {
        handled = FALSE;
        return 0;
    }
    Fill(draw->hDC, draw->rcItem.left, draw->rcItem.top, draw->rcItem.right, draw->rcItem.bottom,
         kHeaderColor);
    // Image 1 at rest, image 0 while pressed.
    const int image = (draw->itemState & ODS_SELECTED) ? 0 : 1;
    if (m_images && ImageList_GetImageCount(m_images) > image)
        ImageList_Draw(m_images, image, draw->hDC, draw->rcItem.left, draw->rcItem.top, ILD_NORMAL);
    return TRUE;
}

LRESULT CInfoPane::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    if ((HWND)lParam != m_button || HIWORD(wParam) != BN_CLICKED) {
        handled = FALSE;
        return 0;
    }
    // Disabled while the owner runs the (modal) properties.
    ::EnableWindow(m_button, FALSE);
    if (m_owner)
        ::SendMessageA(m_owner, WM_COMMAND, MAKEWPARAM(kInfoPaneCommand, 0), 0);
    ::EnableWindow(m_button, TRUE);
    return 0;
}
