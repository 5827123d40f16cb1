// The sort commands' rules that need no window: what each command makes of
// the stored sort choice, and which of them a list's order checks.
#pragma once

namespace viewer {

// A sort key (1 name, 2 size, 3 type, 4 modified) and an order (1
// ascending, 2 descending), as the options and the item lists keep them.
struct SortChoice {
    int sortBy = 1;
    int sortOrder = 1;
};

// Sort By Name, Size, Type, Modified, Ascending and Descending.
bool IsSortCommand(int command);
// The choice after `command`: a key command sets the key, an order command
// the order; the other half is kept. Any other command changes nothing.
SortChoice SortChoiceAfter(int command, SortChoice stored);
// The check mark of `command` beside a list sorted as `list`: the key
// commands by the key, Ascending for order 1 and Descending for order 2.
bool IsSortCommandChecked(int command, SortChoice list);

} // namespace viewer
