// The explorer's ways to devices: Acquire by WIA or TWAIN, the TWAIN
// session that lives as long as the frame, and the offer made when a drive
// with pictures is attached.
#include <shlwapi.h>

#include <string>
#include <vector>

#include "acquire/acquired_image.h"
#include "acquire/logic/acquire_choice.h"
#include "acquire/new_device.h"
#include "acquire/new_device_dialog.h"
#include "acquire/twain_session.h"
#include "acquire/wia_acquisition.h"
#include "app/application_state.h"
#include "explorer/main_frame.h"
#include "ui/wait_cursor.h"

LRESULT CMainFrame::OnAcquire(WORD, WORD, HWND, BOOL&) {
    const OSVERSIONINFOA& version = g_applicationState.VersionInfo();
    const AcquireWay way = ChooseAcquireWay(version.dwMajorVersion, version.dwMinorVersion, [] {
        IWiaDevMgr* manager = nullptr;
        if (FAILED(CreateWiaDeviceManager(&manager)))
            return false;
        manager->Release();
        return true;
    });
    ::PostMessageA(m_hWnd, WM_COMMAND, way == AcquireWay::Wia ? ID_ACQUIRE_WIA : ID_TWAIN_ACQUIRE,
                   0);
    return 0;
}

LRESULT CMainFrame::OnAcquireWia(WORD, WORD, HWND, BOOL&) {
    const std::vector<std::string> written = AcquireFromWia(m_hWnd, g_applicationState.Options());
    if (!written.empty()) {
        SelectPath(written.back().c_str());
        ::SetFocus(m_list.m_hWnd);
    }
    return 0;
}

LRESULT CMainFrame::OnTwainCommand(WORD, WORD id, HWND, BOOL&) {
    if (!m_twain)
        m_twain = new CTwainSession(
            m_hWnd, [this](HGLOBAL dib, const TW_IMAGEINFO&) { OnTwainImage(dib); });
    if (id == ID_TWAIN_SELECT_SOURCE)
        m_twain->SelectSource();
    else
        m_twain->Acquire();
    return 0;
}

void CMainFrame::OnTwainImage(HGLOBAL dib) {
    // A bitmap that cannot be read is dropped; the writer reports its own
    // failures.
    const std::string path = SaveAcquiredBitmap(dib, g_applicationState.Options(), m_hWnd);
    if (path.empty())
        return;
    SelectPath(path.c_str());
    ::SetFocus(m_list.m_hWnd);
}

void CMainFrame::PassToTwain(MSG* msg) {
    if (m_twain)
        m_twain->ProcessEvent(msg);
}

void CMainFrame::EndTwainSession() {
    delete m_twain;
    m_twain = nullptr;
}

void CMainFrame::OnDriveAdded(const NMHDR* header) {
    // The record: the header, then four fields; the fourth holds the drive
    // number (0 = A:).
    const auto* fields = reinterpret_cast<const LONG_PTR*>(header + 1);
    const LONG_PTR drive = fields[3];
    if (drive < 0 || drive > 25)
        return;
    char root[4];
    ::PathBuildRootA(root, static_cast<int>(drive));
    CheckNewDevice(root);
}

void CMainFrame::CheckNewDevice(const char* root) {
    CAppOptions& options = g_applicationState.Options();
    if (!options.explorerDetectNewDevice || !root)
        return;
    std::string found;
    if (!FindImageFolder(root, "*", &found))
        return;
    CNewDeviceDialog dialog(options);
    if (dialog.DoModal(m_hWnd) != IDOK)
        return;
    if (dialog.action == 0) {
        SelectPath(found.c_str());
        return;
    }
    CWaitCursor wait;
    const std::vector<std::string> files = FilesToDownload(found, dialog.pictureOnly == 1);
    g_applicationState.CopyMoveFilesWithProgress(dialog.folder.c_str(),
                                                 dialog.removeAfterDownload != 1, files, 0);
}
