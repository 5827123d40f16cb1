// Resource ids of the main program, shared by the .rc script and the code.
#pragma once

#define IDR_MAINFRAME 9 // explorer frame: program icon

// Icons of the shared 16x16 list: the folder tree's roots, then one per image type.
#define IDI_TYPE_JPEG 10
#define IDI_TYPE_BMP 11
#define IDI_TYPE_GIF 12
#define IDI_TYPE_EMF 13
#define IDI_TYPE_ICO 14
#define IDI_TYPE_PCD 15
#define IDI_TYPE_PNG 16
#define IDI_TYPE_PSD 17
#define IDI_TYPE_PSP 18
#define IDI_TYPE_TIFF 19
#define IDI_TYPE_WMF 20
#define IDI_TYPE_TGA 21
#define IDI_TYPE_PCX 22
#define IDI_TYPE_WBMP 23
#define IDI_TYPE_RAS 24
#define IDI_FAVORITES 264
#define IDI_MY_COLLECTIONS 265
#define IDI_SEARCH_RESULT 301

#define IDI_TRAY 365 // notification-area icon

#define ID_TRAY_EXIT 8 // the tray menu's only command
