// The few questions the viewer frame and the command base ask an item list,
// in one place (the list's own lock is taken where the answer needs it).
#pragma once

#include <string>

class CFileItemList;

namespace frame_lists {

int Count(CFileItemList* list);
int Kind(CFileItemList* list); // -1 without a list
// Full path of item `index`; empty when out of range.
std::string ItemPath(CFileItemList* list, int index);
// Index of the item with this full path (without case), or -1.
int FindPath(CFileItemList* list, const char* path);
// Index of the item stored as `text` (without case), or -1.
int FindItem(CFileItemList* list, const char* text);
// The list's folder (kind 0), else empty.
std::string Folder(CFileItemList* list);
// The neighbour of `index` in the stepping direction, wrapping; -1 for a
// list of fewer than two items.
int Neighbour(CFileItemList* list, int index, bool backward);

} // namespace frame_lists
