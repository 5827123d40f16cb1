// Image file types, decided by a file name's extension alone. The reader of a
// type checks the file's own signature later.
#pragma once

#include <cstddef>

// Plain integer ids; 0 means "not an image file".
enum EImageFileType : int {
    kFileTypeUnknown = 0,
    kFileTypeBmp = 1,
    kFileTypeEmf = 2,
    kFileTypeGif = 3,
    kFileTypePng = 4,
    kFileTypeIco = 5,
    kFileTypeJpeg = 6,
    kFileTypePcd = 7,
    kFileTypePcx = 8,
    kFileTypePsd = 9,
    kFileTypePsp = 10,
    kFileTypeRas = 11,
    kFileTypeTga = 12,
    kFileTypeTiff = 13,
    kFileTypeWbmp = 14,
    kFileTypeWmf = 15,
};

constexpr int kFirstImageFileType = 1;
constexpr int kLastImageFileType = 15;

// The extension of the last path component, dot included, as
// PathFindExtensionA finds it: from the last dot of the file name; a pointer
// to the terminating zero when there is none. The search starts afresh after
// every '\\', '/' and ' ', so a dot in a folder name or before a blank does
// not count. Never null for a non-null path.
const char* FindPathExtension(const char* path);

// Type of a path by its extension (compared without regard to case); 0 when
// the extension is not one of an image type.
EImageFileType DetectImageFileType(const char* path);

// "BMP", "JPEG", ...; empty text for ids outside 1..15.
const char* GetImageFileTypeName(int type);

// Default extension with its dot (".jpg"); empty text for ids outside 1..15.
const char* GetImageFileTypeExtension(int type);

// True for the types that have a writer: BMP, GIF, PNG, JPEG, PSD, RAS, TIFF,
// WBMP.
bool IsWritableImageFileType(int type);

// True for EMF and WMF, whose image holds a metafile instead of pixels.
bool IsVectorImageFileType(int type);

// The output-format choices of the save and convert dialogs, in display order.
// Dialogs remember the index, not the type.
struct SaveFormatChoice {
    int index;
    const char* label;
};
constexpr size_t kSaveFormatChoiceCount = 8;
extern const SaveFormatChoice kSaveFormatChoices[kSaveFormatChoiceCount];

// Save-format index (1..8) to type id; 0 for any other index.
EImageFileType FileTypeFromSaveFormatIndex(int index);
