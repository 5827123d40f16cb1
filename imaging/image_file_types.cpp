#include "imaging/image_file_types.h"

#include <cstring>

namespace {

struct ExtensionRow {
    const char* extension;
    EImageFileType type;
};

// In the order they are compared; the first match wins.
const ExtensionRow kExtensions[] = {
    {".bmp", kFileTypeBmp},   {".emf", kFileTypeEmf},  {".gif", kFileTypeGif},
    {".png", kFileTypePng},   {".ico", kFileTypeIco},  {".jpg", kFileTypeJpeg},
    {".jpeg", kFileTypeJpeg}, {".jpe", kFileTypeJpeg}, {".pcd", kFileTypePcd},
    {".pcx", kFileTypePcx},   {".psd", kFileTypePsd},  {".psp", kFileTypePsp},
    {".tga", kFileTypeTga},   {".vda", kFileTypeTga},  {".icb", kFileTypeTga},
    {".vst", kFileTypeTga},   {".ras", kFileTypeRas},  {".tif", kFileTypeTiff},
    {".tiff", kFileTypeTiff}, {".wmf", kFileTypeWmf},  {".wbm", kFileTypeWbmp},
    {".wbmp", kFileTypeWbmp},
};

// Indexed by type id 1..15.
const char* const kNames[] = {"",    "BMP", "EMF", "GIF", "PNG", "ICO",  "JPEG", "PCD",
                              "PCX", "PSD", "PSP", "RAS", "TGA", "TIFF", "WBMP", "WMF"};
const char* const kDefaultExtensions[] = {"",     ".bmp", ".emf",  ".gif", ".png", ".ico",
                                          ".jpg", ".pcd", ".pcx",  ".psd", ".psp", ".ras",
                                          ".tga", ".tif", ".wbmp", ".wmf"};

bool EqualsIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char ca = static_cast<unsigned char>(*a);
        unsigned char cb = static_cast<unsigned char>(*b);
        if (ca >= 'A' && ca <= 'Z')
            ca = static_cast<unsigned char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z')
            cb = static_cast<unsigned char>(cb - 'A' + 'a');
        if (ca != cb)
            return false;
        if (ca == '\0')
            return true;
    }
}

bool IsKnownType(int type) {
    return type >= kFirstImageFileType && type <= kLastImageFileType;
}

} // namespace

const SaveFormatChoice kSaveFormatChoices[kSaveFormatChoiceCount] = {
    {1, "BMP (Windows Bitmap)"}, {2, "GIF (CompuServe GIF)"},
    {6, "JPG (JPEG)"},           {3, "PNG (Portable Network Graphics)"},
    {4, "PSD (Photoshop)"},      {5, "RAS (Sun Rasterfile)"},
    {7, "TIF (TIFF)"},           {8, "WBMP (Wireless Bitmap)"},
};

const char* FindPathExtension(const char* path) {
    if (!path)
        return nullptr;
    const char* dot = nullptr;
    const char* p = path;
    for (; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ' ')
            dot = nullptr;
        else if (*p == '.')
            dot = p;
    }
    return dot ? dot : p;
}

EImageFileType DetectImageFileType(const char* path) {
    if (!path)
        return kFileTypeUnknown;
    const char* extension = FindPathExtension(path);
    if (*extension == '\0')
        return kFileTypeUnknown;
    for (const ExtensionRow& row : kExtensions) {
        if (EqualsIgnoringCase(extension, row.extension))
            return row.type;
    }
    return kFileTypeUnknown;
}

const char* GetImageFileTypeName(int type) {
    return IsKnownType(type) ? kNames[type] : "";
}

const char* GetImageFileTypeExtension(int type) {
    return IsKnownType(type) ? kDefaultExtensions[type] : "";
}

bool IsWritableImageFileType(int type) {
    switch (type) {
    case kFileTypeBmp:
    case kFileTypeGif:
    case kFileTypePng:
    case kFileTypeJpeg:
    case kFileTypePsd:
    case kFileTypeRas:
    case kFileTypeTiff:
    case kFileTypeWbmp:
        return true;
    default:
        return false;
    }
}

bool IsVectorImageFileType(int type) {
    return type == kFileTypeEmf || type == kFileTypeWmf;
}

EImageFileType FileTypeFromSaveFormatIndex(int index) {
    switch (index) {
    case 1:
        return kFileTypeBmp;
    case 2:
        return kFileTypeGif;
    case 3:
        return kFileTypePng;
    case 4:
        return kFileTypePsd;
    case 5:
        return kFileTypeRas;
    case 6:
        return kFileTypeJpeg;
    case 7:
        return kFileTypeTiff;
    case 8:
        return kFileTypeWbmp;
    default:
        return kFileTypeUnknown;
    }
}
