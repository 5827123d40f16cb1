#include "tools/image_properties.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <string>

#include "app/application_state.h"
#include "imaging/image_object.h"
#include "tools/logic/attributes_date.h"

namespace {

std::string ItemText(HWND dialog, int id) {
    HWND item = ::GetDlgItem(dialog, id);
    const int length = ::GetWindowTextLengthA(item);
    std::string text(length > 0 ? length + 1 : 1, '\0');
    ::GetWindowTextA(item, &text[0], (int)text.size());
    text.resize(::lstrlenA(text.c_str()));
    return text;
}

} // namespace

LRESULT CImageGeneralPage::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    CenterSheet();
    const AttributesDate date = UnpackAttributesDate(m_attributes->date);
    SYSTEMTIME shown = {};
    const bool dated = date.year != 0;
    if (dated) {
        shown.wYear = date.year;
        shown.wMonth = date.month;
        shown.wDay = date.day;
    } else {
        // Today as the user's clock says, not the UTC date.
        ::GetLocalTime(&shown);
    }
    HWND picker = GetDlgItem(IDC_IMGPROP_DATE);
    ::SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&shown);
    ::EnableWindow(picker, dated);

    SetDlgItemText(IDC_IMGPROP_LOCATION, m_attributes->path.c_str());
    SetDlgItemText(IDC_IMGPROP_DESCRIPTION, m_attributes->description.c_str());
    SetDlgItemText(IDC_IMGPROP_ARTIST, m_attributes->artist.c_str());
    SetDlgItemText(IDC_IMGPROP_KEYWORDS, m_attributes->keywords.c_str());
    ::CheckDlgButton(m_hWnd, IDC_IMGPROP_SET_DATE, dated ? BST_CHECKED : BST_UNCHECKED);

    char text[64];
    wsprintfA(text, "%d x %d", m_image->fullWidth, m_image->fullHeight);
    SetDlgItemText(IDC_IMGPROP_DIMENSIONS, text);
    SetDlgItemText(IDC_IMGPROP_TYPE, m_image->GetFileTypeName());
    wsprintfA(text, "%d", m_image->FrameCount() + 1);
    SetDlgItemText(IDC_IMGPROP_PAGES, text);
    char size[50] = "";
    ::StrFormatByteSizeA(m_image->fileSize, size, sizeof size);
    SetDlgItemText(IDC_IMGPROP_FILE_SIZE, size);
    wsprintfA(text, "%d Bits", m_image->bitsPerPixel);
    SetDlgItemText(IDC_IMGPROP_COLORS, text);
    m_opened = true;
    return TRUE;
}

LRESULT CImageGeneralPage::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    const int code = HIWORD(wParam);
    if (code != BN_CLICKED && code != EN_CHANGE) {
        handled = FALSE;
        return 0;
    }
    if (LOWORD(wParam) == IDC_IMGPROP_SET_DATE)
        ::EnableWindow(GetDlgItem(IDC_IMGPROP_DATE),
                       ::IsDlgButtonChecked(m_hWnd, IDC_IMGPROP_SET_DATE) == BST_CHECKED);
    if (m_opened)
        SetModified();
    return 0;
}

LRESULT CImageGeneralPage::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->idFrom == IDC_IMGPROP_DATE && header->code == DTN_DATETIMECHANGE) {
        SetModified();
        return 0;
    }
    handled = FALSE;
    return 0;
}

BOOL CImageGeneralPage::OnApply() {
    const std::string location = ItemText(m_hWnd, IDC_IMGPROP_LOCATION);
    if (location.size() > 260) {
        ::MessageBeep(MB_OK);
        ::SetFocus(GetDlgItem(IDC_IMGPROP_LOCATION));
        return FALSE;
    }
    m_attributes->path = location;
    m_attributes->description = ItemText(m_hWnd, IDC_IMGPROP_DESCRIPTION);
    m_attributes->artist = ItemText(m_hWnd, IDC_IMGPROP_ARTIST);
    m_attributes->keywords = ItemText(m_hWnd, IDC_IMGPROP_KEYWORDS);
    if (::IsDlgButtonChecked(m_hWnd, IDC_IMGPROP_SET_DATE) == BST_CHECKED) {
        SYSTEMTIME chosen = {};
        ::SendMessageA(GetDlgItem(IDC_IMGPROP_DATE), DTM_GETSYSTEMTIME, 0, (LPARAM)&chosen);
        AttributesDate date;
        date.year = chosen.wYear;
        date.month = static_cast<uint8_t>(chosen.wMonth);
        date.day = static_cast<uint8_t>(chosen.wDay);
        m_attributes->date = PackAttributesDate(date);
    } else {
        m_attributes->date = ClearAttributesYear(m_attributes->date);
    }
    return TRUE;
}

LRESULT CImageMetadataPage::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    if (m_list.Attach(GetDlgItem(IDC_IMGPROP_METADATA)))
        m_list.FillFromImage(m_image);
    return TRUE;
}

CImagePropertiesSheet::CImagePropertiesSheet(const CImageObject* image,
                                             CImageAttributes* attributes)
    : CPropertySheet("Image Properties"), m_general(image, attributes), m_metadata(image) {
    AddPage(m_general);
    if (image->exif)
        AddPage(m_metadata);
}

INT_PTR ShowImageProperties(HWND owner, const CImageObject* image) {
    if (!image)
        return -1;
    CImageAttributes attributes;
    attributes.path = image->path;
    g_applicationState.LoadImageAttributes(attributes);
    CImagePropertiesSheet sheet(image, &attributes);
    const INT_PTR answer = sheet.DoModal(owner);
    if (answer == IDOK && !g_applicationState.SaveImageAttributes(attributes))
        return -1;
    return answer;
}
