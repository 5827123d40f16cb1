#include "viewer/image_frame_lists.h"

#include <windows.h>

#include "app/file_item_list.h"

namespace frame_lists {

namespace {

class ListLock {
public:
    explicit ListLock(CFileItemList* list) : m_list(list) { m_list->Lock(); }
    ~ListLock() { m_list->Unlock(); }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;

private:
    CFileItemList* m_list;
};

} // namespace

int Count(CFileItemList* list) {
    if (!list)
        return 0;
    ListLock lock(list);
    return list->GetItemCount();
}

int Kind(CFileItemList* list) {
    return list ? list->GetKind() : -1;
}

std::string ItemPath(CFileItemList* list, int index) {
    if (!list)
        return std::string();
    ListLock lock(list);
    if (index < 0 || index >= list->GetItemCount())
        return std::string();
    char path[MAX_PATH * 2] = {};
    if (!list->GetItemPath(index, path))
        return std::string();
    return path;
}

int FindPath(CFileItemList* list, const char* path) {
    if (!list || !path)
        return -1;
    ListLock lock(list);
    return list->FindPath(path);
}

int FindItem(CFileItemList* list, const char* text) {
    if (!list || !text)
        return -1;
    ListLock lock(list);
    return list->FindItem(text);
}

std::string Folder(CFileItemList* list) {
    if (!list || !list->IsFolderList())
        return std::string();
    return list->GetFolder();
}

int Neighbour(CFileItemList* list, int index, bool backward) {
    const int count = Count(list);
    if (count < 2)
        return -1;
    const int step = backward ? count - 1 : 1;
    const int from = index < 0 ? 0 : index % count;
    return (from + step) % count;
}

} // namespace frame_lists
