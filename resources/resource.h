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

// ---------------------------------------------------------------------------
// Viewer frame: menu and accelerator table share one id.
// ---------------------------------------------------------------------------
#define IDR_IMAGEFRAME 202

// Its rebar bands (the first two band ids of the frame layer) and the view,
// the frame's client window.
#define ID_BAND_VIEWER_MENU 60160
#define ID_BAND_VIEWER_TOOLBAR 60161
#define ID_VIEWER_PANE 0xE900

// Viewer toolbar strips, 20 images of 16x16 each. The 32-bit sets carry an
// alpha channel; the classic sets are 24-bit with magenta (0xFF00FF) as mask.
#define IDB_VIEWER_TOOLBAR32 250
#define IDB_VIEWER_TOOLBAR32_DISABLED 251
#define IDB_VIEWER_TOOLBAR32_HOT 252
#define IDB_VIEWER_TOOLBAR 365
#define IDB_VIEWER_TOOLBAR_DISABLED 366
#define IDB_VIEWER_TOOLBAR_HOT 367
#define VIEWER_TOOLBAR_IMAGE_COUNT 20

// Image view cursors.
#define IDC_HAND_CLOSED 215 // while dragging the picture
#define IDC_HAND_OPEN 216   // over a picture that can be scrolled

// ---------------------------------------------------------------------------
// Viewer dialogs and their controls.
// ---------------------------------------------------------------------------
#define IDD_SLIDE_SHOW 329
#define IDD_ZOOM_TO 334
#define IDD_GOTO_PAGE 396
#define IDD_MARQUEE_SETTING 412

#define IDC_ZOOM_PERCENT 1163 // Zoom To: the percentage

#define IDC_PAGE_NUMBER 1102 // Goto Page: the page edit
#define IDC_PAGE_SPIN 1251   // its up-down control
#define IDC_PAGE_COUNT 1129  // "of %d"

#define IDC_MARQUEE_NO 1264  // Marquee Setting: free selection
#define IDC_MARQUEE_YES 1265 // fixed dimensions
#define IDC_MARQUEE_WIDTH 1087
#define IDC_MARQUEE_HEIGHT 1088

#define IDC_SLIDE_FORWARD 1031 // Slide Show: sequence radios, in sequence order
#define IDC_SLIDE_BACKWARD 1032
#define IDC_SLIDE_RANDOM 1033
#define IDC_SLIDE_REPEAT 1034
#define IDC_SLIDE_DELAY 1035
#define IDC_SLIDE_FULLSCREEN 1073
#define IDC_SLIDE_PLAY 1151 // drop-down list of the play scope
#define IDC_SLIDE_BACKGROUND 1225
#define IDC_SLIDE_CAPTION_COLOR 1226
#define IDC_SLIDE_CAPTION 1271

// ---------------------------------------------------------------------------
// Strings.
// ---------------------------------------------------------------------------
#define IDS_DIMENSION_RANGE 137     // "Image dimensions must be between %d and %d"
#define IDS_VALUE_RANGE 10008       // "Value must be between %d and %d"
#define IDS_SAVE_CHANGES 41416      // "Do you want to save the changes to %s?"
#define IDS_SLIDE_DELAY_RANGE 41418 // "Slide Show delay must be between %.2f and %.2f second(s)"

// ---------------------------------------------------------------------------
// Commands of the frames (menus, accelerators, toolbars). The ids in the
// framework's standard range (0xE000 and up) are guarded so that a header of
// the template layer may define the same names with the same values.
// ---------------------------------------------------------------------------
#define ID_VIEW_RANDOM_IMAGE 104
#define ID_EDIT_DELETE_ITEMS 106
#define ID_VIEW_MARQUEE 107
#define ID_MARQUEE_CANCEL 108
#define ID_MARQUEE_SETTING 109
#define ID_TOOLS_EDITOR 277
#define ID_IMAGE_MODE_GRAYSCALE 285
#define ID_FILE_EMAIL 287
#define ID_IMAGE_SIZE 290
#define ID_HELP_WEB_HOME 293
#define ID_HELP_WEB_SUPPORT 294
#define ID_TOOLS_CONFIGURE_EDITORS 304
#define ID_FILE_DELETE 311
#define ID_FILE_RENAME 312
#define ID_SORT_BY_NAME 314
#define ID_SORT_BY_SIZE 315
#define ID_SORT_BY_TYPE 316
#define ID_SORT_BY_DATE 317
#define ID_SORT_ASCENDING 318
#define ID_SORT_DESCENDING 319
#define ID_IMAGE_CROP 348
#define ID_IMAGE_SAVE_SELECTION 349
#define ID_FILE_CONVERT 367
#define ID_ADJUST_BRIGHTNESS_CONTRAST 379
#define ID_ADJUST_COLOR_BALANCE 382
#define ID_ADJUST_HUE_SATURATION 385
#define ID_ADJUST_DESATURATE 386
#define ID_ADJUST_POSTERIZE 388
#define ID_ADJUST_INVERT 389
#define ID_ADJUST_EQUALIZE 390
#define ID_IMAGE_MODE_INDEXED 393
#define ID_VIEW_GOTO_PAGE 397
#define ID_IMAGE_MODE_RGB 404
#define ID_IMAGE_MODE_BITMAP 406
#define ID_HELP_WEB_REGISTER 414
#define ID_FILE_ACQUIRE 415 // the explorer's Acquire, also posted by the core
#define ID_WINDOW_ARRANGE 416
#define ID_WINDOW_ARRANGE_HORZ 417
#define ID_WINDOW_ARRANGE_VERT 418
#define ID_WINDOW_EXPLORER 419
#define ID_WINDOW_BRING_VIEWERS 420
#define ID_WINDOW_CLOSE_VIEWERS 421
#define ID_VIEW_OPTIONS 32772
#define ID_ROTATE_180 32775
#define ID_ROTATE_90CW 32776
#define ID_ROTATE_90CCW 32777
#define ID_ROTATE_ARBITRARY 32778
#define ID_FLIP_HORIZONTAL 32779
#define ID_FLIP_VERTICAL 32780
#define ID_ZOOM_TO 32782
#define ID_ZOOM_IN 32783
#define ID_ZOOM_OUT 32784
#define ID_ZOOM_100 32785          // zoom to 100 % (a custom zoom)
#define ID_ZOOM_TYPE_FIRST 32786   // + the view's zoom type 0..4
#define ID_ZOOM_TYPE_ACTUAL 32786  // type 0 Actual Size
#define ID_ZOOM_TYPE_FIT 32787     // type 1 Fit on Screen
#define ID_ZOOM_TYPE_SHRINK 32788  // type 2 Shrink to Fit
#define ID_ZOOM_TYPE_ENLARGE 32789 // type 3 Enlarge to Fit
#define ID_ZOOM_TYPE_LOCK 32790    // type 4 Lock
#define ID_ZOOM_TYPE_LAST 32790
#define ID_VIEW_PREV_IMAGE 32791
#define ID_VIEW_NEXT_IMAGE 32792
#define ID_VIEW_FIRST_IMAGE 32793
#define ID_VIEW_LAST_IMAGE 32794
#define ID_FILE_COPY_TO 32796
#define ID_FILE_MOVE_TO 32797
#define ID_FILE_NEW_VIEWER 32808
#define ID_VIEW_FULLSCREEN 32819
#define ID_WALLPAPER_CENTER 32820
#define ID_WALLPAPER_TILE 32821
#define ID_WALLPAPER_STRETCH 32822
#define ID_WALLPAPER_REMOVE 32823
#define ID_VIEW_ESCAPE 32824
#define ID_VIEW_SLIDESHOW 32826
#define ID_FILE_PROPERTIES 32834
#define ID_FAVORITES_ADD 32845
#define ID_FILE_BROWSE 32853
#define ID_VIEW_NEXT_PAGE 32856
#define ID_VIEW_PREV_PAGE 32857
#define ID_VIEW_STOP_ANIMATION 32858
#define ID_EDITOR_FIRST 61440 // editor i of the drop-down: 61440 + i
#define ID_EDITOR_LAST 61450

#ifndef ID_FILE_SAVE
#define ID_FILE_SAVE 57603
#endif
#ifndef ID_FILE_SAVE_AS
#define ID_FILE_SAVE_AS 57604
#endif
#ifndef ID_FILE_PRINT
#define ID_FILE_PRINT 57607
#endif
#ifndef ID_EDIT_COPY
#define ID_EDIT_COPY 57634
#endif
#ifndef ID_EDIT_CUT
#define ID_EDIT_CUT 57635
#endif
#ifndef ID_EDIT_PASTE
#define ID_EDIT_PASTE 57637
#endif
#ifndef ID_EDIT_UNDO
#define ID_EDIT_UNDO 57643
#endif
#ifndef ID_APP_ABOUT
#define ID_APP_ABOUT 57664
#endif
#ifndef ID_APP_EXIT
#define ID_APP_EXIT 57665
#endif
#ifndef ID_HELP_INDEX
#define ID_HELP_INDEX 57670
#endif
#ifndef ID_VIEW_TOOLBAR
#define ID_VIEW_TOOLBAR 59392
#endif
#ifndef ID_VIEW_REFRESH
#define ID_VIEW_REFRESH 59395
#endif

// ---------------------------------------------------------------------------
// Explorer frame: menu, accelerators, icon and title string share id 9
// (IDR_MAINFRAME). Its children, rebar bands, toolbar strips and commands.
// ---------------------------------------------------------------------------
#define IDC_EXPLORER_TREE 10001    // folder pane tree, client of the Folders pane
#define IDC_EXPLORER_LIST 10002    // thumbnail list, "Contents"
#define IDC_EXPLORER_PREVIEW 10003 // preview image view
#define IDC_EXPLORER_INFO 10004    // information pane, client of the Properties pane
#define IDC_EXPLORER_ADDRESS 10005 // address bar (ComboBoxEx)
#define ID_BAND_EXPLORER_MENU 60160
#define ID_BAND_EXPLORER_TOOLBAR 60161
#define ID_BAND_EXPLORER_ADDRESS 60162

// Toolbar strips of 19 images: 32-bit with alpha, and 24-bit masked with magenta.
#define IDB_EXPLORER_TOOLBAR32 241
#define IDB_EXPLORER_TOOLBAR32_HOT 242
#define IDB_EXPLORER_TOOLBAR32_DISABLED 249
#define IDB_EXPLORER_TOOLBAR 368
#define IDB_EXPLORER_TOOLBAR_DISABLED 369
#define IDB_EXPLORER_TOOLBAR_HOT 370
#define EXPLORER_TOOLBAR_IMAGE_COUNT 19

#define ID_SEARCH_CLEAR 102
#define ID_TWAIN_SELECT_SOURCE 322
#define ID_TWAIN_ACQUIRE 323
#define ID_OUTPUT_SETTING 325
#define ID_VIEW_PREVIEW_PANE 327
#define ID_EDIT_INVERT_SELECTION 340
#define ID_ACQUIRE_SCREEN 343
#define ID_ACQUIRE_CLIPBOARD 344
#define ID_TOOLS_BATCH_RENAME 368
#define ID_VIEW_FOLDERS_PANE 373
#define ID_VIEW_METADATA_PANE 375
#define ID_VIEW_CONTENTS_PANE 377
#define ID_EDIT_EXTRACT 394
#define ID_ACQUIRE_WIA 410
#define ID_TOOLS_HOT_TRACK 411
#define ID_GO_ADDRESS_BAR 1164 // Alt+D
#define ID_GO_HOME_FOLDER 1165 // Alt+Home
#define ID_VIEW_ITEM_INFO 1166 // Ctrl+I
#define ID_IMAGE_PROPERTIES 10008
#define ID_FILE_OPEN_VIEWER 32807
#define ID_VIEW_MODE 32830 // the toolbar's drop-down of the three modes
#define ID_VIEW_FILMSTRIP 32831
#define ID_VIEW_THUMBNAIL 32832
#define ID_VIEW_LIST 32833
#define ID_VIEW_PROPERTIES_PANE 32837
#define ID_EDIT_JUMP_TO_TARGET 32854
#define ID_VIEW_ADDRESS_BAR 32860
#define ID_GO_BACK 41406
#define ID_GO_FORWARD 41407
#define ID_GO_UP 41408
#ifndef ID_EDIT_FIND
#define ID_EDIT_FIND 57636
#endif
#ifndef ID_EDIT_SELECT_ALL
#define ID_EDIT_SELECT_ALL 57642
#endif

// ---------------------------------------------------------------------------
// Acquisition and output: the Output dialog, the new-device and screen-capture
// dialogs, the WIA transfer progress and the finder tool's pictures.
// ---------------------------------------------------------------------------
#define IDD_NEW_DEVICE 306
#define IDD_OUTPUT 324
#define IDD_SCREEN_CAPTURE 345
#define IDD_TRANSFER_PROGRESS 403

#define IDC_CAPTURE_CURSOR 360 // cursor while the finder tool is dragged
#define IDI_CAMERA_DRAG 361    // the finder tool's place while it is dragged
#define IDI_CAMERA 362         // the finder tool at rest

#define IDC_OUTPUT_LOCATION 1015 // Output: the target folder
#define IDC_OUTPUT_BROWSE 1055
#define IDC_OUTPUT_USE_CURRENT 1092
#define IDC_OUTPUT_OPTIONS 1121
#define IDC_OUTPUT_FORMAT 1139 // the save-format list, item data = format id
#define IDC_OUTPUT_PREFIX 1300
#define IDC_OUTPUT_START 1301
#define IDC_OUTPUT_START_SPIN 1302
#define IDC_OUTPUT_PADDING 1303
#define IDC_OUTPUT_PADDING_SPIN 1304

#define IDC_NEW_DEVICE_FOLDER 1087 // New device: "Download to:"
#define IDC_NEW_DEVICE_BROWSE 1055
#define IDC_NEW_DEVICE_REMOVE 1089       // "Remove item(s) after downloaded"
#define IDC_NEW_DEVICE_BROWSE_ITEMS 1125 // "Browse content" (action 0)
#define IDC_NEW_DEVICE_DOWNLOAD 1126     // "Download item(s)" (action 1)
#define IDC_NEW_DEVICE_PICTURE_ONLY 1127

#define IDC_CAPTURE_FINDER 1165 // Screen Capture: the camera icon

#define IDC_TRANSFER_PROGRESS 1191 // progress dialogs: the bar
#define IDC_TRANSFER_CANCEL 1192   // their Cancel button
#define IDC_TRANSFER_STATUS 1206   // their status text

// ---------------------------------------------------------------------------
// Options and system integration: the Options sheet's pages, the
// configuration wizard, Arrange Viewers, About and the external editors.
// ---------------------------------------------------------------------------
#define IDD_ABOUT 100
#define IDD_OPTIONS_EXPLORER 106
#define IDD_OPTIONS_VIEWER 107
#define IDD_OPTIONS_IMAGE_FORMATS 205
#define IDD_OPTIONS_SLIDE_SHOW 215
#define IDD_EDITORS 280
#define IDD_EDITOR 281
#define IDD_OPTIONS_SYSTEM 333
#define IDD_WIZARD_FORMATS 360
#define IDD_WIZARD_WELCOME 361
#define IDD_WIZARD_COMPLETE 362
#define IDD_WIZARD_SYSTEM 363
#define IDB_WIZARD 364 // the wizard pages' picture at their left
#define IDD_OPTIONS_COLOR 413
#define IDD_ARRANGE_VIEWERS 415

#define IDS_THUMBNAIL_RANGE 41430 // "Thumbnail dimensions must be between %d and %d"

// Options > Explorer.
#define IDC_OPT_EXPLORER_SAVE_CONFIRM 1400
#define IDC_OPT_EXPLORER_BATCH_CONFIRM 1401
#define IDC_OPT_EXPLORER_CONFIRM_DELETE 1402
#define IDC_OPT_EXPLORER_DETECT_DEVICE 1403
#define IDC_OPT_HOME_FOLDER 1404
#define IDC_OPT_HOME_BROWSE 1405
#define IDC_OPT_HOME_DEFAULT 1406
#define IDC_OPT_THUMB_WIDTH 1407
#define IDC_OPT_THUMB_HEIGHT 1408
#define IDC_OPT_THUMB_XSPACE 1409
#define IDC_OPT_THUMB_YSPACE 1410
#define IDC_OPT_THUMB_CACHE 1411
#define IDC_OPT_THUMB_DELETE 1412
#define IDC_OPT_PREVIEW_ACTIVATE 1413
#define IDC_OPT_PREVIEW_CTRL 1414
#define IDC_OPT_PREVIEW_HOVER 1415
#define IDC_OPT_PREVIEW_COUNT 1416
#define IDC_OPT_PREVIEW_COUNT_SPIN 1417

// Options > Viewer.
#define IDC_OPT_VIEWER_FULLSCREEN 1420
#define IDC_OPT_VIEWER_FULLSCREEN_MENU 1421
#define IDC_OPT_VIEWER_SAVE_CONFIRM 1422
#define IDC_OPT_VIEWER_CONFIRM_DELETE 1423
#define IDC_OPT_VIEWER_CLOSE_RETURN 1424
#define IDC_OPT_VIEWER_RESIZE_FIT 1425
#define IDC_OPT_VIEWER_REPEAT 1426
#define IDC_OPT_DBLCLK_NEXT 1427 // double-click radios, in option order
#define IDC_OPT_DBLCLK_EXPLORER 1428
#define IDC_OPT_WHEEL_BROWSE 1429 // mouse-wheel radios, in option order
#define IDC_OPT_WHEEL_ZOOM 1430
#define IDC_OPT_WHEEL_MOVE 1431

// Options > Slide Show.
#define IDC_OPT_SLIDE_CAPTION 1440
#define IDC_OPT_SLIDE_FORWARD 1441 // sequence radios, in option order
#define IDC_OPT_SLIDE_BACKWARD 1442
#define IDC_OPT_SLIDE_RANDOM 1443
#define IDC_OPT_SLIDE_REPEAT 1444
#define IDC_OPT_SLIDE_DELAY 1445

// Options > Image Formats, and the wizard's formats page.
#define IDC_FORMAT_LIST 1010
#define IDC_FORMAT_SELECT_ALL 1092
#define IDC_FORMAT_REMOVE_ALL 1121
#define IDC_FORMAT_OPTIONS 1450

// Options > Color: the six colour buttons.
#define IDC_OPT_COLOR_PREVIEW 1460
#define IDC_OPT_COLOR_THUMBNAIL 1461
#define IDC_OPT_COLOR_VIEWER 1462
#define IDC_OPT_COLOR_FOLDER_THUMBNAIL 1463
#define IDC_OPT_COLOR_FOLDER_FRAME 1464
#define IDC_OPT_COLOR_CAPTION 1465

// Options > System and the wizard's system page.
#define IDC_SYSTEM_TRAY 1168
#define IDC_SYSTEM_START_MENU 1196
#define IDC_SYSTEM_DESKTOP 1157
#define IDC_SYSTEM_QUICK_LAUNCH 1162
#define IDC_OPT_MENU_BROWSE 1470
#define IDC_OPT_MENU_SUBFOLDER 1471
#define IDC_OPT_MENU_VIEW 1472
#define IDC_OPT_MENU_PRINT 1473
#define IDC_OPT_MENU_EMAIL 1474

// Wizard pages: the picture at the left, the welcome and closing headings.
#define IDC_WIZARD_PICTURE 1480
#define IDC_WIZARD_HEADING 1481

// Arrange Viewers.
#define IDC_ARRANGE_GRID 1275 // radios, in selection order
#define IDC_ARRANGE_ROWS 1278
#define IDC_ARRANGE_COLUMNS 1279
#define IDC_ARRANGE_ROW_MAX 1280
#define IDC_ARRANGE_COLUMN_MAX 1281

// About.
#define IDC_ABOUT_VERSION 1490

// Configure Editors and Configure Editor.
#define IDC_EDITORS_LIST 1076
#define IDC_EDITORS_ADD 1077
#define IDC_EDITORS_REMOVE 1078
#define IDC_EDITORS_DEFAULT 1079
#define IDC_EDITORS_EDIT 1081
#define IDC_EDITORS_LAUNCH 1082
#define IDC_EDITOR_TITLE 1043
#define IDC_EDITOR_LOCATION 1081
#define IDC_EDITOR_BROWSE 1055

// ---------------------------------------------------------------------------
// Image tools: the parameter dialogs of the image commands.
// ---------------------------------------------------------------------------
#define IDD_ROTATE_CANVAS 204
#define IDC_ROTATE_ANGLE 1005
#define IDC_ROTATE_CW 1006
#define IDC_ROTATE_CCW 1007
#define IDD_IMAGE_SIZE 289
#define IDD_JPEG_OPTIONS 326
#define IDD_PNG_OPTIONS 372
#define IDD_BRIGHTNESS_CONTRAST 380
#define IDD_COLOR_BALANCE 381
#define IDD_HUE_SATURATION 383
#define IDD_POSTERIZE 387
#define IDD_INDEXED_COLOR 402
// Adjustment dialogs: the first value edit is shared; the others by dialog.
#define IDC_ADJUST_VALUE 1218
#define IDC_HUE_SATURATION_EDIT 1219
#define IDC_HUE_LIGHTNESS_EDIT 1220
#define IDC_INDEXED_COLORS 1224
#define IDC_BRIGHTNESS_TRACK 1229
#define IDC_CONTRAST_TRACK 1230
#define IDC_CONTRAST_EDIT 1231
#define IDC_ADJUST_PREVIEW 1232
#define IDC_BALANCE_MAGENTA_GREEN 1234
#define IDC_BALANCE_YELLOW_BLUE 1235
#define IDC_BALANCE_CYAN_RED_TRACK 1236
#define IDC_BALANCE_MAGENTA_GREEN_TRACK 1237
#define IDC_BALANCE_YELLOW_BLUE_TRACK 1238
#define IDC_BALANCE_SHADOWS 1240 // radios, in tone-range order
#define IDC_BALANCE_MIDTONES 1241
#define IDC_BALANCE_HIGHLIGHTS 1242
#define IDC_BALANCE_LUMINOSITY 1243
#define IDC_HUE_RANGE 1244
#define IDC_HUE_TRACK 1245
#define IDC_HUE_SATURATION_TRACK 1246
#define IDC_HUE_LIGHTNESS_TRACK 1247
#define IDC_POSTERIZE_SPIN 1250
// Image Size.
#define IDC_SIZE_DIMENSIONS 1045
#define IDC_SIZE_WIDTH 1087
#define IDC_SIZE_HEIGHT 1088
#define IDC_SIZE_CONSTRAIN 1089
#define IDC_SIZE_PERCENTAGE 1259
#define IDC_SIZE_FIT 1261
#define IDC_SIZE_FIT_MODE 1262
#define IDC_SIZE_PERCENT 1218
// JPEG and PNG options.
#define IDC_JPEG_QUALITY 1087
#define IDC_JPEG_OPTIMIZE 1089
#define IDC_JPEG_DEFAULTS 1092
#define IDC_JPEG_QUALITY_TRACK 1141
#define IDC_JPEG_BASELINE 1143 // radios, in format-index order
#define IDC_JPEG_PROGRESSIVE 1144
#define IDC_JPEG_METADATA 1263
#define IDC_PNG_NONE 1222 // radios, in interlace order
#define IDC_PNG_INTERLACED 1223
// Save Images: where the results of a command on several images go.
#define IDD_SAVE_IMAGES 356
#define IDC_SAVE_IMAGES_LOCATION 1015
#define IDC_SAVE_IMAGES_BROWSE 1055
#define IDC_SAVE_IMAGES_ALWAYS_REPLACE 1083
#define IDC_SAVE_IMAGES_USE_CURRENT 1092
#define IDC_SAVE_IMAGES_REPLACE 1175 // radios, in selection order
#define IDC_SAVE_IMAGES_RENAME 1176
#define IDC_SAVE_IMAGES_FOLDER 1177
#define IDC_SAVE_IMAGES_ICON 1178

// ---------------------------------------------------------------------------
// Docking windows.
// ---------------------------------------------------------------------------
#define IDC_DOCK_TAB_STRIP 59648 // a tabbed docking box's tab strip

// ---------------------------------------------------------------------------
// File-operation dialogs: password, Replace Confirmation, copy and move.
// ---------------------------------------------------------------------------
#define IDD_REPLACE_CONFIRM 214
#define IDD_COPY_MOVE_PROGRESS 364
#define IDD_PASSWORD 378
#define IDC_PASSWORD_PROMPT 1217
#define IDC_PASSWORD_EDIT 1218
#define IDC_REPLACE_SAME_FOR_ALL 1021
#define IDC_REPLACE_RENAME 1022
#define IDC_REPLACE_DELETE 1027
#define IDC_REPLACE_REPLACE 1028
#define IDC_REPLACE_SKIP 3 // ends the dialog with 3
#define IDC_REPLACE_NEW_NAME 1310
#define IDC_REPLACE_TARGET_FRAME 1311
#define IDC_REPLACE_TARGET_LOCATION 1312
#define IDC_REPLACE_TARGET_SIZE 1313
#define IDC_REPLACE_TARGET_DIMENSIONS 1314
#define IDC_REPLACE_TARGET_MODIFIED 1315
#define IDC_REPLACE_SOURCE_FRAME 1316
#define IDC_REPLACE_SOURCE_LOCATION 1317
#define IDC_REPLACE_SOURCE_SIZE 1318
#define IDC_REPLACE_SOURCE_DIMENSIONS 1319
#define IDC_REPLACE_SOURCE_MODIFIED 1320
#define IDC_COPY_MOVE_STATUS 1321
#define IDC_COPY_MOVE_BAR 1322
#define IDC_COPY_MOVE_CANCEL 1323 // only sets the cancel flag

// ---------------------------------------------------------------------------
// Printing and e-mailing pictures.
// ---------------------------------------------------------------------------
#define IDD_PRINT 298
#define IDD_PRINT_PROGRESS 359
#define IDC_PRINT_PRINTER 2301
#define IDC_PRINT_PREFERENCES 2302
#define IDC_PRINT_FIT 2303
#define IDC_PRINT_SIZE 2304
#define IDC_PRINT_WIDTH 2305
#define IDC_PRINT_WIDTH_SPIN 2306
#define IDC_PRINT_HEIGHT 2307
#define IDC_PRINT_HEIGHT_SPIN 2308
#define IDC_PRINT_PER_PAGE 2309
#define IDC_PRINT_PER_PAGE_SPIN 2310
#define IDC_PRINT_COPIES 2311
#define IDC_PRINT_COPIES_SPIN 2312
#define IDC_PRINT_UNIT 2313
#define IDC_PRINT_TOP 2314
#define IDC_PRINT_TOP_SPIN 2315
#define IDC_PRINT_LEFT 2316
#define IDC_PRINT_LEFT_SPIN 2317
#define IDC_PRINT_BOTTOM 2318
#define IDC_PRINT_BOTTOM_SPIN 2319
#define IDC_PRINT_RIGHT 2320
#define IDC_PRINT_RIGHT_SPIN 2321
#define IDC_PRINT_SPACE_HORZ 2322
#define IDC_PRINT_SPACE_HORZ_SPIN 2323
#define IDC_PRINT_SPACE_VERT 2324
#define IDC_PRINT_SPACE_VERT_SPIN 2325
#define IDC_PRINT_COLOR 2326
#define IDC_PRINT_ALL 2327 // radios, in range-choice order
#define IDC_PRINT_CURRENT 2328
#define IDC_PRINT_PAGES 2329
#define IDC_PRINT_FROM 2330
#define IDC_PRINT_TO 2331
#define IDC_PRINT_EDIT_LIST 2332
#define IDC_PRINT_GOTO 2333
#define IDC_PRINT_GOTO_SPIN 2334
#define IDC_PRINT_PAGE_COUNT 2335
#define IDC_PRINT_PREVIEW 2336
#define IDC_PRINT_PROGRESS_STATUS 2340
#define IDC_PRINT_PROGRESS_BAR 2341
#define IDC_PRINT_PROGRESS_CANCEL 2342
#define IDD_EMAIL_PICTURES 366
#define IDC_EMAIL_ICON 2350
#define IDC_EMAIL_YES 2351 // radios, in choice order
#define IDC_EMAIL_NO 2352
#define IDC_EMAIL_SIZE 2353
#define IDC_EMAIL_WIDTH 2354
#define IDC_EMAIL_HEIGHT 2355
#define IDC_EMAIL_COUNT 2356
#define IDD_PRINT_LIST 346
#define IDC_PLIST_LIST 2360
#define IDC_PLIST_ADD 2361
#define IDC_PLIST_REMOVE 2362
#define IDC_PLIST_UP 2363
#define IDC_PLIST_DOWN 2364
#define IDC_PLIST_CLEAR 2365
#define IDC_PLIST_NAME 2366
#define IDC_PLIST_SIZE 2367
#define IDC_PLIST_DIMENSIONS 2368
#define IDC_PLIST_MODIFIED 2369
#define IDC_PLIST_COPIES 2370
#define IDC_PLIST_COPIES_SPIN 2371
#define IDC_PLIST_TOTAL_ITEMS 2372
#define IDC_PLIST_TOTAL_COPIES 2373

// The folder trees' dialogs and commands.
#define IDD_BROWSE_FOLDER 208
#define IDD_ADD_TO_COLLECTIONS 230
#define IDD_CREATE_COLLECTION 231
#define IDD_FOLDER_PROPERTIES 260
#define IDC_BROWSE_TREE 1013
#define IDC_BROWSE_FOLDER 1015 // the combo box of recent folders
#define IDC_BROWSE_FOLDER_LABEL 1018
#define IDC_BROWSE_GO 1174
#define IDC_BROWSE_OK 1201
#define IDC_COLLECTION_NAME 1015 // the folder of Add, the name of Create
#define IDC_COLLECTION_BROWSE 1055
#define IDC_COLLECTION_FULL_PATH 1128
#define IDC_FOLDER_LOCATION 1038
#define IDC_FOLDER_DATE 1041
#define IDC_FOLDER_DESCRIPTION 1042
#define IDC_FOLDER_ARTIST 1044
#define IDC_FOLDER_KEYWORDS 1060
#define IDC_FOLDER_SET_DATE 1258
#define ID_TREE_PROPERTIES 32835
#define ID_TREE_REFRESH 32836
#define ID_TREE_ADD_TO_COLLECTIONS 32837
#define ID_TREE_NEW_FOLDER 32848
#define ID_TREE_DELETE 32849
#define ID_TREE_RENAME 32850
// ---------------------------------------------------------------------------
// Explorer information pane: its labels, the button's pictures.
// ---------------------------------------------------------------------------
#define IDI_INFO_EDIT_HOT 310 // the Edit Properties button while pressed
#define IDI_INFO_EDIT 403     // the same button at rest
#define IDS_INFO_PAGES 129
#define IDS_INFO_COLORS 130
#define IDS_INFO_ARTIST 133
#define IDS_INFO_TYPE 134
#define IDS_INFO_FILENAME 135
#define IDS_INFO_MODIFIED 10004
#define IDS_INFO_TAKEN 10005
#define IDS_INFO_DIMENSIONS 41411
#define IDS_INFO_DESCRIPTION 41413
#define IDS_INFO_KEYWORDS 41414
#define IDS_INFO_POSITION 41415
#define IDS_INFO_FILE_SIZE 41417
#define IDS_INFO_SELECTED 41419 // the status band's selection count

// ---------------------------------------------------------------------------
// Image Properties sheet: the General and Metadata pages and their controls.
// ---------------------------------------------------------------------------
#define IDD_IMAGE_GENERAL 228
#define IDD_IMAGE_METADATA 307
#define IDC_IMGPROP_LOCATION 1038
#define IDC_IMGPROP_DATE 1041
#define IDC_IMGPROP_DESCRIPTION 1042
#define IDC_IMGPROP_ARTIST 1044
#define IDC_IMGPROP_DIMENSIONS 1045
#define IDC_IMGPROP_TYPE 1046
#define IDC_IMGPROP_PAGES 1047
#define IDC_IMGPROP_COLORS 1048
#define IDC_IMGPROP_KEYWORDS 1060
#define IDC_IMGPROP_FILE_SIZE 1075
#define IDC_IMGPROP_METADATA 1130
#define IDC_IMGPROP_SET_DATE 1258

// ---------------------------------------------------------------------------
// Rename and Batch Rename Files dialogs.
// ---------------------------------------------------------------------------
#define IDD_RENAME 369
#define IDC_RENAME_EDIT 1218
#define IDD_BATCH_RENAME 253
#define IDC_BATCH_RENAME_PREFIX 1330
#define IDC_BATCH_RENAME_START 1331
#define IDC_BATCH_RENAME_START_SPIN 1332
#define IDC_BATCH_RENAME_PADDING 1333
#define IDC_BATCH_RENAME_PADDING_SPIN 1334
#define IDC_BATCH_RENAME_SAMPLE 1335
#define ID_LIST_RENAME 32798 // the explorer's rename of the list's selection

// ---------------------------------------------------------------------------
// Explorer Find dialog (modeless).
// ---------------------------------------------------------------------------
#define IDD_FIND 299
#define IDC_FIND_WHAT 1053       // the search text (combo box with an edit field)
#define IDC_FIND_KEYWORD 1060    // "&Keyword(s)"
#define IDC_FIND_ARTIST 1044     // "&Artist"
#define IDC_FIND_NAME 1084       // "&Name"
#define IDC_FIND_MATCH_CASE 1089 // "&Match case"
#define IDC_FIND_SUBFOLDERS 1112 // "Look &in subfolders"
#define IDC_FIND_LOOK_IN 1111    // the folder of a name search
#define IDC_FIND_BROWSE 1055

// ---------------------------------------------------------------------------
// Batch processing and Convert: the batch progress, the Convert dialog, its
// progress and its replace question. The progress dialogs use the status,
// bar and Cancel ids of the transfer progress (1206, 1191, 1192).
// ---------------------------------------------------------------------------
#define IDD_CONVERT 330
#define IDD_CONFIRM_FILE_REPLACE 332
#define IDD_BATCH_PROCESS 365
#define IDD_CONVERT_PROGRESS 367
#define IDC_CONVERT_LOCATION 1015
#define IDC_CONVERT_BROWSE 1055
#define IDC_CONVERT_USE_CURRENT 1092
#define IDC_CONVERT_OPTIONS 1121
#define IDC_CONVERT_FORMAT 1139
#define IDC_CONFIRM_REPLACE_YES_TO_ALL 1154
#define IDC_CONFIRM_REPLACE_TEXT 1156
