// Drops onto the thumbnail list: files dragged in from other folders are
// copied or moved into the folder the list shows, under the list's own
// effect rule. A list that shows no folder on disk (a zip folder, a
// favorites folder, a result list) has nowhere to put them and refuses.
#include <windows.h>

#include <shlwapi.h>

#include <new>
#include <string>
#include <vector>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/file_item_list.h"
#include "explorer/drag_drop.h"
#include "explorer/drop_formats.h"
#include "explorer/image_list_view.h"
#include "explorer/logic/drop_effects.h"
#include "ui/wait_cursor.h"

using namespace explorer_drop_rules;

// The list's drop target, on the heap because OLE may hold it past the
// window; a detached target only refuses.
class CImageListDropTarget : public CShellDropTarget {
public:
    explicit CImageListDropTarget(CImageListViewCtrl* list) : m_list(list) {}
    void Detach() { m_list = nullptr; }

    bool ChooseEffect(DWORD keys, DWORD* effect) override {
        const bool takes = m_list && FormatAccepted() && m_list->TakesDrop(MatchedFormat());
        *effect = ChooseListDropEffect(takes, keys, *effect);
        return *effect != 0;
    }
    bool OnDrop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect) override {
        if (!m_list) {
            *effect = DROPEFFECT_NONE;
            return false;
        }
        return m_list->OnListDrop(format, medium, effect);
    }

private:
    CImageListViewCtrl* m_list;
};

void CImageListViewCtrl::RegisterDropTarget() {
    if (m_dropTarget)
        return;
    m_dropTarget = new (std::nothrow) CImageListDropTarget(this);
    RegisterDropTargetOf(m_hWnd, m_dropTarget, DropTargetKind::ThumbnailList);
}

void CImageListViewCtrl::RevokeDropTarget() {
    RevokeDropTargetOf(m_hWnd, m_dropTarget);
}

IDropTarget* CImageListViewCtrl::DropTarget() const {
    return m_dropTarget;
}

bool CImageListViewCtrl::TakesDrop(const FORMATETC* matched) const {
    if (!matched || !m_source)
        return false;
    return ListAcceptsDrop(m_source->GetKind(), DropFormatOf(matched->cfFormat));
}

bool CImageListViewCtrl::OnListDrop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect) {
    if (!TakesDrop(format) || !medium || medium->tymed != TYMED_HGLOBAL) {
        *effect = DROPEFFECT_NONE;
        return false;
    }
    m_source->Lock();
    const std::string folder = m_source->GetFolder();
    m_source->Unlock();
    std::vector<std::string> files;
    for (const std::string& path : ReadDroppedFiles(medium))
        if (!::PathIsDirectoryA(path.c_str())) // folders are the tree's to move
            files.push_back(path);
    const bool copy = *effect == DROPEFFECT_COPY;
    {
        CWaitCursor wait;
        g_applicationState.BeginFolderUpdate();
        int choice = 0; // one replace answer for the whole drop, asked at the first clash
        for (const FileTransfer& transfer : PlanListDrop(folder, files, SameFolderNoCase)) {
            bool cancelled = false;
            g_applicationState.CopyOrMoveFile(transfer.source.c_str(), transfer.target.c_str(),
                                              &cancelled, &choice, copy, true);
            if (cancelled)
                break;
        }
        g_applicationState.EndFolderUpdate();
    }
    const DWORD done = copy ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    *effect = ReportedDropEffect(done, !copy && AnyDroppedPathLeft(medium));
    return true;
}
