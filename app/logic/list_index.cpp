#include "app/logic/list_index.h"

int WrapIndex(int index, int count, bool backward) {
    if (count < 2 || index < 0 || index >= count)
        return -1;
    if (backward)
        return index == 0 ? count - 1 : index - 1;
    return index + 1 == count ? 0 : index + 1;
}

int ClampIndex(int index, int count) {
    if (count <= 0)
        return -1;
    if (index < 0)
        return 0;
    return index >= count ? count - 1 : index;
}
