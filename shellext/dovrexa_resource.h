// Resource ids of the shell extension module.
#pragma once

#define IDS_PROJNAME 100
#define IDB_MENU_ITEM 203
