// What every dialog of the options subsystem does when it opens: it shows
// the program's icon and stands centred on its parent (on the work area
// when it has none).
#pragma once

#include <windows.h>

void PrepareProgramDialog(HWND dialog);
