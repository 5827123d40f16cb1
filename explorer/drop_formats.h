// The window side of the drop formats, shared by the folder trees and the
// thumbnail list: a target's accepted formats as clipboard formats, the kind
// of a matched format, and the paths of a CF_HDROP medium read only from a
// block that holds its whole list.
#pragma once

#include <windows.h>
#include <objidl.h>

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
