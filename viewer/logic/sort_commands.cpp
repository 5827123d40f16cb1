#include "viewer/logic/sort_commands.h"

#include "resources/resource.h"

namespace viewer {

bool IsSortCommand(int command) {
    return command >= ID_SORT_BY_NAME && command <= ID_SORT_DESCENDING;
}

SortChoice SortChoiceAfter(int command, SortChoice stored) {
    if (command >= ID_SORT_BY_NAME && command <= ID_SORT_BY_DATE)
        stored.sortBy = command - ID_SORT_BY_NAME + 1;
    else if (command == ID_SORT_ASCENDING)
        stored.sortOrder = 1;
    else if (command == ID_SORT_DESCENDING)
        stored.sortOrder = 2;
    return stored;
}

bool IsSortCommandChecked(int command, SortChoice list) {
    if (command >= ID_SORT_BY_NAME && command <= ID_SORT_BY_DATE)
        return list.sortBy == command - ID_SORT_BY_NAME + 1;
    if (command == ID_SORT_ASCENDING)
        return list.sortOrder == 1;
    if (command == ID_SORT_DESCENDING)
        return list.sortOrder == 2;
    return false;
}

} // namespace viewer
