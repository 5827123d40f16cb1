#include "app/shell_id_list.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

namespace {
// Item byte counts are read byte by byte: items have no alignment.
uint32_t ItemSize(const uint8_t* item) {
    const uint32_t size = static_cast<uint32_t>(item[0]) | (static_cast<uint32_t>(item[1]) << 8);
    return size < 2 ? 0 : size; // 1 cannot hold its own count: treat as the end
}

const uint8_t* Bytes(const _ITEMIDLIST* list) {
    return reinterpret_cast<const uint8_t*>(list);
}

_ITEMIDLIST* AllocateList(uint32_t itemBytes) {
    IMalloc* malloc = nullptr;
    if (FAILED(SHGetMalloc(&malloc)) || !malloc)
        return nullptr;
    void* memory = malloc->Alloc(itemBytes + 2);
    malloc->Release();
    return static_cast<_ITEMIDLIST*>(memory);
}

// Byte count of the first count items, or false when the list holds fewer.
bool PrefixSize(const _ITEMIDLIST* list, int count, uint32_t* bytes) {
    const uint8_t* p = Bytes(list);
    uint32_t total = 0;
    for (int i = 0; i < count; ++i) {
        const uint32_t size = ItemSize(p);
        if (size == 0)
            return false;
        total += size;
        p += size;
    }
    *bytes = total;
    return true;
}
} // namespace

_ITEMIDLIST* CombineIdLists(const _ITEMIDLIST* first, const _ITEMIDLIST* second) {
    const uint32_t firstSize = GetIdListSize(first);
    const uint32_t secondSize = GetIdListSize(second);
    if (firstSize == 0 && secondSize == 0)
        return nullptr;
    _ITEMIDLIST* list = AllocateList(firstSize + secondSize);
    if (!list)
        return nullptr;
    uint8_t* out = reinterpret_cast<uint8_t*>(list);
    if (firstSize)
        std::memcpy(out, first, firstSize);
    if (secondSize)
        std::memcpy(out + firstSize, second, secondSize);
    out[firstSize + secondSize] = 0;
    out[firstSize + secondSize + 1] = 0;
    return list;
}

_ITEMIDLIST* CopyIdList(const _ITEMIDLIST* list) {
    return CombineIdLists(list, nullptr);
}

uint32_t GetIdListSize(const _ITEMIDLIST* list) {
    if (!list)
        return 0;
    uint32_t total = 0;
    for (const uint8_t* p = Bytes(list); ItemSize(p) != 0; p += ItemSize(p))
        total += ItemSize(p);
    return total;
}

_ITEMIDLIST* GetNextIdListItem(const _ITEMIDLIST* item) {
    if (!item)
        return nullptr;
    const uint32_t size = ItemSize(Bytes(item));
    if (size == 0)
        return nullptr;
    const uint8_t* next = Bytes(item) + size;
    if (ItemSize(next) == 0)
        return nullptr;
    return reinterpret_cast<_ITEMIDLIST*>(const_cast<uint8_t*>(next));
}

_ITEMIDLIST* CopyIdListPrefix(int count, const _ITEMIDLIST* list) {
    uint32_t bytes = 0;
    if (!list || count <= 0 || !PrefixSize(list, count, &bytes))
        return nullptr;
    _ITEMIDLIST* copy = AllocateList(bytes);
    if (!copy)
        return nullptr;
    uint8_t* out = reinterpret_cast<uint8_t*>(copy);
    std::memcpy(out, list, bytes);
    out[bytes] = 0;
    out[bytes + 1] = 0;
    return copy;
}

_ITEMIDLIST* FindLastIdListItem(const _ITEMIDLIST* list) {
    if (!list)
        return nullptr;
    const _ITEMIDLIST* last = list;
    for (const _ITEMIDLIST* next = GetNextIdListItem(last); next; next = GetNextIdListItem(last))
        last = next;
    return const_cast<_ITEMIDLIST*>(last);
}

int CountIdListItems(const _ITEMIDLIST* list) {
    if (!list)
        return 0;
    int count = 0;
    for (const uint8_t* p = Bytes(list); ItemSize(p) != 0; p += ItemSize(p))
        ++count;
    return count;
}

_ITEMIDLIST* ParsePathToIdList(const char* path) {
    if (!path)
        return nullptr;
    WCHAR wide[520];
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path, -1, wide, 520) == 0)
        return nullptr;
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop)
        return nullptr;
    LPITEMIDLIST list = nullptr;
    ULONG eaten = 0;
    const HRESULT hr = desktop->ParseDisplayName(nullptr, nullptr, wide, &eaten, &list, nullptr);
    desktop->Release();
    if (FAILED(hr)) {
        FreeIdList(list);
        return nullptr;
    }
    return list;
}

void FreeIdList(_ITEMIDLIST* list) {
    if (!list)
        return;
    IMalloc* malloc = nullptr;
    if (SUCCEEDED(SHGetMalloc(&malloc)) && malloc) {
        malloc->Free(list);
        malloc->Release();
    }
}
