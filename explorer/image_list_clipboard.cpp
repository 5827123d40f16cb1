// The thumbnail list's cut, copy and drag: the selected items as a data object of
// the blocks that suit the list's source (files, favorites items or zip
// archive items) with the preferred drop effect, on the OLE clipboard or dragged
// out.
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/file_item_list.h"
#include "explorer/drag_drop.h"
#include "explorer/image_list_view.h"
#include "explorer/logic/clipboard_blocks.h"

namespace {

// Hands a copy of the block to the object, which owns it from then on.
bool PutBlock(IDataObject* object, CLIPFORMAT format, const ClipboardBlock& block) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, block.size());
    if (!memory)
        return false;
    void* bytes = ::GlobalLock(memory);
    if (!bytes) {
        ::GlobalFree(memory);
        return false;
    }
    std::memcpy(bytes, block.data(), block.size());
    ::GlobalUnlock(memory);
    FORMATETC etc{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = memory;
    if (FAILED(object->SetData(&etc, &medium, TRUE))) {
        ::GlobalFree(memory);
        return false;
    }
    return true;
}

CLIPFORMAT Registered(const char* name) {
    return static_cast<CLIPFORMAT>(::RegisterClipboardFormatA(name));
}

} // namespace

bool CImageListViewCtrl::BuildDataObject(const std::vector<int>& items, IDataObject* object,
                                         bool copy) {
    if (!m_source || !object)
        return false;
    ClipboardBlock block;
    CLIPFORMAT format = CF_HDROP;
    m_source->Lock();
    const int count = m_source->GetItemCount();
    std::vector<std::string> strings;
    bool complete = true;
    for (int index : items) {
        char path[MAX_PATH] = "";
        if (index < 0 || index >= count)
            complete = false;
        else if (m_source->IsArchiveList())
            strings.push_back(JoinArchiveEntryPath(m_source->GetArchiveLocation()->innerPath,
                                                   m_source->GetItem(index)));
        else if (m_source->GetItemPath(index, path))
            strings.push_back(path);
        else
            complete = false;
    }
    if (m_source->IsFavoritesList()) {
        format = Registered("FavoritesClipboardFormat");
        block = BuildFavoritesBlock(static_cast<uint32_t>(m_source->GetKeyValue()), strings);
    } else if (m_source->IsArchiveList()) {
        format = Registered("ZipClipboardFormat");
        block = BuildZipItemsBlock(m_source->GetArchiveLocation()->archivePath, strings);
    } else {
        block = BuildFileDropBlock(strings);
    }
    m_source->Unlock();
    // An item whose path cannot be had would silently go missing from a
    // paste; nothing is offered rather than part of the selection.
    if (!complete)
        return false;
    return PutBlock(object, format, block) &&
           PutBlock(object, Registered(CFSTR_PREFERREDDROPEFFECT),
                    BuildPreferredDropEffectBlock(copy));
}

bool CImageListViewCtrl::CopySelectionToClipboard(bool copy) {
    std::vector<int> selected;
    GetSelectedIndices(&selected);
    if (selected.empty())
        return true;
    // Copy clears every cut mark; cut then marks its own items.
    SetItemState(-1, 0, LVIS_CUT);
    if (!copy)
        for (int index : selected)
            SetItemState(index, LVIS_CUT, LVIS_CUT);
    auto* object = new CShellDataObject();
    object->AddRef();
    bool placed = false;
    if (BuildDataObject(selected, object, copy) && SUCCEEDED(::OleSetClipboard(object))) {
        placed = true;
        // Rendered now, so the files stay on the clipboard after the program ends.
        ::OleFlushClipboard();
    }
    object->Release();
    return placed;
}

LRESULT CImageListViewCtrl::OnCopyCut(WORD, WORD id, HWND, BOOL&) {
    CopySelectionToClipboard(id == ID_EDIT_COPY);
    return 0;
}

LRESULT CImageListViewCtrl::OnBeginDrag(int, LPNMHDR, BOOL&) {
    std::vector<int> selected;
    GetSelectedIndices(&selected);
    if (selected.empty())
        return 0;
    auto* source = new CShellDropSource();
    source->AddRef();
    auto* object = new CShellDataObject();
    object->AddRef();
    if (BuildDataObject(selected, object, true)) {
        DWORD effect = DROPEFFECT_NONE;
        ::DoDragDrop(object, source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    }
    object->Release();
    source->Release();
    return 0;
}
