// The window side of the drop formats, shared by the folder trees and the
// thumbnail list: a target's accepted formats as clipboard formats, the kind
// of a matched format, and the paths of a CF_HDROP medium read only from a
// block that holds its whole list.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "explorer/logic/drop_rules.h"

class CShellDropTarget;

explorer_drop_rules::DropFormat DropFormatOf(CLIPFORMAT format);
// Gives the target the kind's formats, in their order.
void AcceptDropFormats(CShellDropTarget& target, explorer_drop_rules::DropTargetKind kind);
// The paths of a CF_HDROP block, narrow or wide; none when the block lies
// about its size.
std::vector<std::string> ReadDroppedFiles(HGLOBAL block);
std::vector<std::string> ReadDroppedFiles(const STGMEDIUM* medium);
// Whether any path of a CF_HDROP medium still exists.
bool AnyDroppedPathLeft(const STGMEDIUM* medium);
// Whether data's "Preferred DropEffect" asks a paste to move.
bool PreferredEffectMoves(IDataObject* data);
// Two folders compared as the system compares paths.
bool SameFolderNoCase(const std::string& a, const std::string& b);

// Makes `target` (a new target the caller holds no reference to yet) the
// drop target of `window` with the kind's formats, keeping one reference in
// `target`. When the system refuses, the target is detached from its window
// object and released, and `target` is null: without the registration no
// format is accepted.
template <class Target>
void RegisterDropTargetOf(HWND window, Target*& target, explorer_drop_rules::DropTargetKind kind) {
    if (!target)
        return;
    target->AddRef();
    target->SetTargetWindow(window);
    if (FAILED(::RegisterDragDrop(window, target))) {
        target->Detach();
        target->Release();
        target = nullptr;
        return;
    }
    AcceptDropFormats(*target, kind);
}

// Ends what RegisterDropTargetOf began; a drag still holding the target
// meets a detached one, which only refuses.
template <class Target> void RevokeDropTargetOf(HWND window, Target*& target) {
    if (!target)
        return;
    ::RevokeDragDrop(window);
    target->Detach();
    target->Release();
    target = nullptr;
}
