#include "explorer/drop_formats.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>

#include "app/app_globals.h"
#include "explorer/drag_drop.h"
#include "explorer/logic/tree_rules.h"

using namespace explorer_drop_rules;

namespace {

CLIPFORMAT ClipboardFormatOf(DropFormat format) {
    switch (format) {
    case DropFormat::Files:
        return CF_HDROP;
    case DropFormat::Favorites:
        return static_cast<CLIPFORMAT>(g_favoritesClipboardFormat);
    case DropFormat::Zip:
        return static_cast<CLIPFORMAT>(g_zipClipboardFormat);
    case DropFormat::Other:
        break;
    }
    return 0;
}

} // namespace

DropFormat DropFormatOf(CLIPFORMAT format) {
    if (format == CF_HDROP)
        return DropFormat::Files;
    if (format == g_favoritesClipboardFormat)
        return DropFormat::Favorites;
    if (format == g_zipClipboardFormat)
        return DropFormat::Zip;
    return DropFormat::Other;
}

void AcceptDropFormats(CShellDropTarget& target, DropTargetKind kind) {
    for (DropFormat format : AcceptedDropFormats(kind))
        target.AddAcceptedFormat(ClipboardFormatOf(format));
}

std::vector<std::string> ReadDroppedFiles(HGLOBAL block) {
    std::vector<std::string> paths;
    if (!block)
        return paths;
    const SIZE_T size = ::GlobalSize(block);
    const uint8_t* bytes = static_cast<const uint8_t*>(::GlobalLock(block));
    if (!bytes)
        return paths;
    const bool sound = FileDropBlockIsSound(bytes, size);
    ::GlobalUnlock(block);
    if (!sound)
        return paths;
    HDROP drop = static_cast<HDROP>(block);
    const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char path[MAX_PATH] = "";
        // A path too long for the system's paths is not cut to another one.
        const UINT length = ::DragQueryFileA(drop, i, nullptr, 0);
        if (length > 0 && length<MAX_PATH&& ::DragQueryFileA(drop, i, path, MAX_PATH)> 0)
            paths.push_back(path);
    }
    return paths;
}

std::vector<std::string> ReadDroppedFiles(const STGMEDIUM* medium) {
    if (!medium || medium->tymed != TYMED_HGLOBAL)
        return {};
    return ReadDroppedFiles(medium->hGlobal);
}

bool AnyDroppedPathLeft(const STGMEDIUM* medium) {
    for (const std::string& path : ReadDroppedFiles(medium))
        if (::PathFileExistsA(path.c_str()))
            return true;
    return false;
}

bool PreferredEffectMoves(IDataObject* data) {
    static const CLIPFORMAT preferred =
        static_cast<CLIPFORMAT>(::RegisterClipboardFormatA(CFSTR_PREFERREDDROPEFFECT));
    FORMATETC format{preferred, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (!data || FAILED(data->GetData(&format, &medium)))
        return explorer_tree_rules::PasteMoves(false, 0);
    DWORD effect = 0;
    bool has = false;
    if (medium.tymed == TYMED_HGLOBAL && ::GlobalSize(medium.hGlobal) >= sizeof(DWORD)) {
        if (const void* value = ::GlobalLock(medium.hGlobal)) {
            std::memcpy(&effect, value, sizeof effect);
            has = true;
            ::GlobalUnlock(medium.hGlobal);
        }
    }
    ::ReleaseStgMedium(&medium);
    return explorer_tree_rules::PasteMoves(has, effect);
}

bool SameFolderNoCase(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}
