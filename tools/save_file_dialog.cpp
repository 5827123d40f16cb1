#include "tools/save_file_dialog.h"

#include <commdlg.h>
#include <dlgs.h>

#include "tools/logic/adjust_values.h"

CSaveFileDialog::CSaveFileDialog(const char* defaultExtension, const char* fileName,
                                 const char* filters, const char* folder)
    : m_defaultExtension(defaultExtension ? defaultExtension : ""), m_folder(folder ? folder : ""),
      m_filters(filters) {
    if (fileName)
        lstrcpynA(path, fileName, MAX_PATH);
}

INT_PTR CSaveFileDialog::DoModal(HWND owner) {
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = m_filters;
    dialog.nFilterIndex = static_cast<DWORD>(filterIndex > 0 ? filterIndex : 0);
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = m_folder.empty() ? nullptr : m_folder.c_str();
    dialog.lpstrDefExt = m_defaultExtension.empty() ? nullptr : m_defaultExtension.c_str();
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_EXTENSIONDIFFERENT | OFN_EXPLORER |
                   OFN_ENABLEHOOK;
    dialog.lpfnHook = Hook;
    dialog.lCustData = reinterpret_cast<LPARAM>(this);
    if (!::GetSaveFileNameA(&dialog))
        return IDCANCEL;
    filterIndex = static_cast<int>(dialog.nFilterIndex);
    return IDOK;
}

UINT_PTR CALLBACK CSaveFileDialog::Hook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto* dialog = reinterpret_cast<const OPENFILENAMEA*>(lParam);
        ::SetWindowLongPtrA(hook, GWLP_USERDATA, static_cast<LONG_PTR>(dialog->lCustData));
        return TRUE;
    }
    if (message != WM_NOTIFY)
        return 0;
    const auto* notice = reinterpret_cast<const OFNOTIFYA*>(lParam);
    auto* self = reinterpret_cast<CSaveFileDialog*>(::GetWindowLongPtrA(hook, GWLP_USERDATA));
    if (self && notice->hdr.code == CDN_TYPECHANGE && notice->lpOFN)
        self->OnTypeChange(::GetParent(hook), static_cast<int>(notice->lpOFN->nFilterIndex));
    return 0;
}

void CSaveFileDialog::OnTypeChange(HWND dialog, int index) const {
    // The name field is edt1 in the old layout; the explorer layout has the
    // combo box cmb13, which not every dialog maps edt1 to.
    const int field = ::GetDlgItem(dialog, edt1) ? edt1 : cmb13;
    // The field's own text, not CDM_GETFILEPATH: some dialogs put their
    // folder before a name that already holds one, and the folder shown
    // stays the folder of the answer anyway.
    char current[MAX_PATH] = {};
    if (::GetDlgItemTextA(dialog, field, current, MAX_PATH) <= 0)
        return;
    const std::string extension = tools_logic::FilterExtension(m_filters, index);
    if (extension.empty())
        return;
    const std::string renamed = tools_logic::ReplaceExtension(current, extension);
    if (renamed.size() >= MAX_PATH)
        return;
    ::SendMessageA(dialog, CDM_SETCONTROLTEXT, static_cast<WPARAM>(field),
                   reinterpret_cast<LPARAM>(renamed.c_str()));
}

bool AskSaveFilePath(const image_saving::SaveFileRequest& request, char* chosen) {
    if (!chosen || !request.filters)
        return false;
    CSaveFileDialog dialog(request.defaultExtension, request.fileName, request.filters,
                           request.folder);
    dialog.filterIndex = request.filterIndex;
    if (dialog.DoModal(request.owner) != IDOK)
        return false;
    lstrcpynA(chosen, dialog.path, MAX_PATH);
    return true;
}
