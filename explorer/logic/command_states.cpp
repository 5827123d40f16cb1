#include "explorer/logic/command_states.h"

#include "resources/resource.h"

namespace explorer_commands {

const int kStateCommands[] = {
    ID_FILE_OPEN_VIEWER,
    ID_FILE_NEW_VIEWER,
    ID_TOOLS_BATCH_RENAME,
    ID_FILE_PRINT,
    ID_FILE_EMAIL,
    ID_FILE_COPY_TO,
    ID_FILE_MOVE_TO,
    ID_FILE_SAVE,
    ID_FILE_SAVE_AS,
    ID_WALLPAPER_CENTER,
    ID_WALLPAPER_TILE,
    ID_WALLPAPER_STRETCH,
    ID_WALLPAPER_REMOVE,
    ID_VIEW_MARQUEE,
    ID_FILE_CONVERT,
    ID_FILE_PROPERTIES,
    ID_EDIT_CUT,
    ID_EDIT_COPY,
    ID_EDIT_PASTE,
    ID_EDIT_UNDO,
    ID_EDIT_EXTRACT,
    ID_FILE_DELETE,
    ID_FILE_RENAME,
    ID_TOOLS_HOT_TRACK,
    ID_ACQUIRE_WIA,
    ID_ROTATE_180,
    ID_ROTATE_90CW,
    ID_ROTATE_90CCW,
    ID_ROTATE_ARBITRARY,
    ID_FLIP_HORIZONTAL,
    ID_FLIP_VERTICAL,
    ID_IMAGE_SIZE,
    ID_IMAGE_MODE_GRAYSCALE,
    ID_IMAGE_MODE_INDEXED,
    ID_IMAGE_MODE_RGB,
    ID_IMAGE_MODE_BITMAP,
    ID_ADJUST_BRIGHTNESS_CONTRAST,
    ID_ADJUST_COLOR_BALANCE,
    ID_ADJUST_HUE_SATURATION,
    ID_ADJUST_DESATURATE,
    ID_ADJUST_POSTERIZE,
    ID_ADJUST_INVERT,
    ID_ADJUST_EQUALIZE,
    ID_TOOLS_EDITOR,
    ID_IMAGE_CROP,
    ID_IMAGE_PROPERTIES,
    ID_VIEW_FILMSTRIP,
    ID_VIEW_THUMBNAIL,
    ID_VIEW_LIST,
    ID_VIEW_PROPERTIES_PANE,
    ID_VIEW_FOLDERS_PANE,
    ID_VIEW_METADATA_PANE,
    ID_VIEW_PREVIEW_PANE,
    ID_VIEW_CONTENTS_PANE,
    ID_VIEW_NEXT_PAGE,
    ID_VIEW_PREV_PAGE,
    ID_FAVORITES_ADD,
    ID_EDIT_JUMP_TO_TARGET,
    ID_SORT_BY_NAME,
    ID_SORT_BY_SIZE,
    ID_SORT_BY_TYPE,
    ID_SORT_BY_DATE,
    ID_SORT_ASCENDING,
    ID_SORT_DESCENDING,
    ID_GO_BACK,
    ID_GO_FORWARD,
    ID_GO_UP,
    ID_WINDOW_BRING_VIEWERS,
    ID_WINDOW_CLOSE_VIEWERS,
    ID_WINDOW_ARRANGE,
    ID_WINDOW_ARRANGE_HORZ,
    ID_WINDOW_ARRANGE_VERT,
};
const int kStateCommandCount = sizeof(kStateCommands) / sizeof(kStateCommands[0]);

CommandState StateOf(int command, const CommandContext& c) {
    const bool S = c.selected > 0;
    const bool D = c.document, M = c.metafile, L = c.listShown;
    const bool Z = L && c.kind == 1;
    const bool X = L && !Z && D && c.decoded;
    const bool single = c.pages == 1 && S && !M;
    const int B = c.bitsPerPixel;
    auto on = [](bool enabled, bool checked = false) { return CommandState{enabled, checked}; };
    switch (command) {
    case ID_FILE_OPEN_VIEWER:
    case ID_FILE_NEW_VIEWER:
    case ID_TOOLS_BATCH_RENAME:
        return on(S);
    case ID_FILE_PRINT:
    case ID_FILE_EMAIL:
    case ID_FILE_COPY_TO:
    case ID_FILE_MOVE_TO:
        return on(L && !Z && S);
    case ID_FILE_SAVE:
        return on(D && c.modified && !M && L && !Z);
    case ID_FILE_SAVE_AS:
    case ID_WALLPAPER_CENTER:
    case ID_WALLPAPER_TILE:
    case ID_WALLPAPER_STRETCH:
    case ID_WALLPAPER_REMOVE:
        return on(D && !M);
    case ID_VIEW_MARQUEE:
        return on(D && !M, c.selectionMode);
    case ID_FILE_CONVERT:
        return on(D && !M && L && !Z);
    case ID_FILE_PROPERTIES:
        return on(L && !Z && c.listFocused ? D : c.treeFocused);
    case ID_EDIT_CUT:
    case ID_EDIT_COPY:
    case ID_EDIT_PASTE:
        return on(L && !Z);
    case ID_EDIT_UNDO:
        return on(c.undoImage);
    case ID_EDIT_EXTRACT:
        return on(Z && c.listFocused && S);
    case ID_FILE_DELETE:
    case ID_FILE_RENAME:
        return on(L && !Z && (c.treeFocused || S));
    case ID_TOOLS_HOT_TRACK:
        return on(true, c.hotTrack);
    case ID_ACQUIRE_WIA:
        return on((c.osMajor == 4 && c.osMinor == 90) || (c.osMajor == 5 && c.osMinor >= 1));
    case ID_ROTATE_180:
    case ID_ROTATE_90CW:
    case ID_ROTATE_90CCW:
    case ID_ROTATE_ARBITRARY:
    case ID_FLIP_HORIZONTAL:
    case ID_FLIP_VERTICAL:
    case ID_IMAGE_SIZE:
        return on(X && single);
    case ID_IMAGE_MODE_GRAYSCALE:
        return on(X && !c.grayPalette && single);
    case ID_IMAGE_MODE_INDEXED:
        return on(X && (B == 24 || B == 32) && single);
    case ID_IMAGE_MODE_RGB:
        return on(X && B != 24 && single);
    case ID_IMAGE_MODE_BITMAP:
        return on(X && c.grayPalette && single);
    case ID_ADJUST_BRIGHTNESS_CONTRAST:
    case ID_ADJUST_COLOR_BALANCE:
    case ID_ADJUST_HUE_SATURATION:
    case ID_ADJUST_DESATURATE:
    case ID_ADJUST_POSTERIZE:
    case ID_ADJUST_INVERT:
    case ID_ADJUST_EQUALIZE:
        return on(X && (B == 8 || B == 24 || B == 32) && single);
    case ID_TOOLS_EDITOR:
        return on(X && S);
    case ID_IMAGE_CROP:
        return on(L && !Z && D && c.hasSelection && S && !M);
    case ID_IMAGE_PROPERTIES:
        return on(D);
    case ID_VIEW_FILMSTRIP:
        return on(true, c.viewMode == 1);
    case ID_VIEW_THUMBNAIL:
        return on(true, c.viewMode == 2);
    case ID_VIEW_LIST:
        return on(true, c.viewMode == 3);
    case ID_VIEW_PROPERTIES_PANE:
        return on(true, c.propertiesShown);
    case ID_VIEW_FOLDERS_PANE:
        return on(true, c.foldersShown);
    case ID_VIEW_METADATA_PANE:
        return on(true, c.metadataShown);
    case ID_VIEW_PREVIEW_PANE:
        return on(c.viewMode == 2, c.showPreview);
    case ID_VIEW_CONTENTS_PANE:
        return on(c.viewMode == 3, c.contentsShown);
    case ID_VIEW_NEXT_PAGE:
        return on(D && c.pages > 1 && c.pageIndex < c.pages - 1);
    case ID_VIEW_PREV_PAGE:
        return on(D && c.pages > 1 && c.pageIndex > 0);
    case ID_FAVORITES_ADD:
        return on(S && L && c.kind != 1 && c.kind != 2);
    case ID_EDIT_JUMP_TO_TARGET:
        return on(D && (c.kind == 2 || c.kind == 4));
    case ID_SORT_BY_NAME:
    case ID_SORT_BY_SIZE:
    case ID_SORT_BY_TYPE:
    case ID_SORT_BY_DATE:
        return on(L, c.sortKey == command - ID_SORT_BY_NAME + 1);
    case ID_SORT_ASCENDING:
        return on(L, c.sortOrder == 1);
    case ID_SORT_DESCENDING:
        return on(L, c.sortOrder == 2);
    case ID_GO_BACK:
        return on(c.historyCount > 0 && c.historyPosition + 1 < c.historyCount);
    case ID_GO_FORWARD:
        return on(c.historyPosition > 0);
    case ID_GO_UP:
        return on(c.treeItemHasParent);
    case ID_WINDOW_BRING_VIEWERS:
    case ID_WINDOW_CLOSE_VIEWERS:
        return on(c.viewerCount >= 1);
    case ID_WINDOW_ARRANGE:
    case ID_WINDOW_ARRANGE_HORZ:
    case ID_WINDOW_ARRANGE_VERT:
        // Arranging needs two viewers, and two are enough.
        return on(c.viewerCount >= 2);
    default:
        return on(true);
    }
}

} // namespace explorer_commands
