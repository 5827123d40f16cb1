// Index arithmetic of the item lists that the viewers step through.
#pragma once

// The next index (the previous one with backward), wrapping from the last
// item to 0 and from 0 to the last. -1 when the index is not one of the
// items or the list has fewer than two items.
int WrapIndex(int index, int count, bool backward);

// The index limited to 0 .. count-1; -1 for an empty list.
int ClampIndex(int index, int count);
