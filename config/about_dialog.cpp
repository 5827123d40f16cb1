#include "config/about_dialog.h"

#include "config/dialog_frame.h"

LRESULT CAboutDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    PrepareProgramDialog(m_hWnd);
    return TRUE;
}

LRESULT CAboutDialog::OnClose(WORD, WORD id, HWND, BOOL&) {
    EndDialog(id);
    return 0;
}
