// Shell item-ID lists: the variable-length identifiers by which the shell
// names folders and files.
//
// Layout of a list: a sequence of items, each a 16-bit little-endian byte
// count that includes the count itself followed by count - 2 bytes of data,
// ended by a 16-bit zero. A count of 1 cannot describe an item and is read
// as the end of the list, so a damaged list never makes a walk stand still.
//
// Lists returned here are allocated with the shell's allocator (SHGetMalloc)
// and freed by the caller with it (FreeIdList does that).
#pragma once

#include <cstdint>

struct _ITEMIDLIST; // ITEMIDLIST of the system headers

// A new list with the items of first followed by those of second (either may
// be null or empty); null when both are empty or the allocation fails.
_ITEMIDLIST* CombineIdLists(const _ITEMIDLIST* first, const _ITEMIDLIST* second);
// A copy of the list; null for a null or empty list.
_ITEMIDLIST* CopyIdList(const _ITEMIDLIST* list);
// The sum of the item byte counts, without the terminating zero; 0 for null.
uint32_t GetIdListSize(const _ITEMIDLIST* list);
// The item after this one; null when this is the last one, or the list is
// null or empty.
_ITEMIDLIST* GetNextIdListItem(const _ITEMIDLIST* item);
// A new list of the first count items; null when the list is null or holds
// fewer items, when count is not positive or the allocation fails.
_ITEMIDLIST* CopyIdListPrefix(int count, const _ITEMIDLIST* list);
// The last item; null for null. For an empty list, the list itself.
_ITEMIDLIST* FindLastIdListItem(const _ITEMIDLIST* list);
// The number of items; 0 for null or empty.
int CountIdListItems(const _ITEMIDLIST* list);
// The desktop folder's item-ID list of a path (ANSI); null on failure.
_ITEMIDLIST* ParsePathToIdList(const char* path);
// Frees a list made here (null is allowed).
void FreeIdList(_ITEMIDLIST* list);
