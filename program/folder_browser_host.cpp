// The program's Browse for Folder: the explorer's dialog, run for every
// window that asks the application for a folder. The explorer, when it is
// open, hears of the folders made or changed in the dialog's tree.
#include "app/application_state.h"
#include "app/folder_browser.h"
#include "explorer/browse_folder_dialog.h"
#include "explorer/main_frame.h"
#include "program/program_frames.h"

namespace {

class CProgramFolderBrowser : public IFolderBrowser {
public:
    bool BrowseForFolder(HWND owner, const char* title, std::string* folder) override {
        CBrowseForFolderDialog dialog;
        lstrcpynA(dialog.path, folder->c_str(), MAX_PATH);
        if (title)
            lstrcpynA(dialog.title, title, MAX_PATH);
        if (CMainFrame* explorer = g_applicationState.Explorer())
            dialog.passOnWindow = explorer->m_hWnd;
        if (dialog.DoModal(owner) != IDOK)
            return false;
        *folder = dialog.path;
        return true;
    }
};

CProgramFolderBrowser g_programFolderBrowser;

} // namespace

void RegisterProgramFolderBrowser() {
    SetFolderBrowser(&g_programFolderBrowser);
}
