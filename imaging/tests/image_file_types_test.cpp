#include "imaging/image_file_types.h"

#include <gtest/gtest.h>

namespace {

TEST(ImageFileTypes, DetectByExtension) {
    struct Case {
        const char* path;
        int type;
    } cases[] = {
        {"Holiday.JPEG", 6},
        {"scan.Tiff", 13},
        {"logo.wbm", 14},
        {"logo.WBMP", 14},
        {"archive.tar.jpg", 6}, // only the last extension counts
        {"picture.jpg.bak", 0},
        {"C:\\a.b\\file", 0}, // a dot in a folder name does not count
        {"/home/a.b/file", 0},
        {"file.", 0},
        {".jpg", 6},
        {"x.vst", 12},
        {"x.VDA", 12},
        {"x.icb", 12},
        {"x.tga", 12},
        {"x.JPE", 6},
        {"name.jp g", 0}, // the search starts again after a blank
        {"x.bmp", 1},
        {"x.emf", 2},
        {"x.gif", 3},
        {"x.png", 4},
        {"x.ico", 5},
        {"x.pcd", 7},
        {"x.pcx", 8},
        {"x.psd", 9},
        {"x.psp", 10},
        {"x.ras", 11},
        {"x.tif", 13},
        {"x.wmf", 15},
        {"x.jpgx", 0},
        {"", 0},
        {"C:\\dir\\photo.Jpg", 6},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetectImageFileType(c.path), c.type) << c.path;
    EXPECT_EQ(DetectImageFileType(nullptr), 0);
}

TEST(ImageFileTypes, FindPathExtension) {
    EXPECT_STREQ(FindPathExtension("a\\b.c\\d.e"), ".e");
    EXPECT_STREQ(FindPathExtension("a.b/c"), "");
    EXPECT_STREQ(FindPathExtension("x.tar.gz"), ".gz");
    const char* bare = "noext";
    EXPECT_EQ(FindPathExtension(bare), bare + 5);
}

TEST(ImageFileTypes, NamesAndExtensions) {
    const char* names[] = {"BMP", "EMF", "GIF", "PNG", "ICO",  "JPEG", "PCD", "PCX",
                           "PSD", "PSP", "RAS", "TGA", "TIFF", "WBMP", "WMF"};
    const char* extensions[] = {".bmp", ".emf", ".gif", ".png", ".ico", ".jpg",  ".pcd", ".pcx",
                                ".psd", ".psp", ".ras", ".tga", ".tif", ".wbmp", ".wmf"};
    for (int type = 1; type <= 15; ++type) {
        EXPECT_STREQ(GetImageFileTypeName(type), names[type - 1]);
        EXPECT_STREQ(GetImageFileTypeExtension(type), extensions[type - 1]);
        // Every default extension leads back to its own type.
        EXPECT_EQ(DetectImageFileType(extensions[type - 1]), type);
    }
    for (int type : {0, 16, -1}) {
        EXPECT_STREQ(GetImageFileTypeName(type), "");
        EXPECT_STREQ(GetImageFileTypeExtension(type), "");
    }
}

TEST(ImageFileTypes, WritableAndVectorTypes) {
    for (int type = -1; type <= 16; ++type) {
        bool writable = type == 1 || type == 3 || type == 4 || type == 6 || type == 9 ||
                        type == 11 || type == 13 || type == 14;
        EXPECT_EQ(IsWritableImageFileType(type), writable) << type;
        EXPECT_EQ(IsVectorImageFileType(type), type == 2 || type == 15) << type;
    }
}

TEST(ImageFileTypes, SaveFormatChoices) {
    const SaveFormatChoice expected[] = {
        {1, "BMP (Windows Bitmap)"}, {2, "GIF (CompuServe GIF)"},
        {6, "JPG (JPEG)"},           {3, "PNG (Portable Network Graphics)"},
        {4, "PSD (Photoshop)"},      {5, "RAS (Sun Rasterfile)"},
        {7, "TIF (TIFF)"},           {8, "WBMP (Wireless Bitmap)"},
    };
    ASSERT_EQ(kSaveFormatChoiceCount, 8u);
    for (size_t i = 0; i < kSaveFormatChoiceCount; ++i) {
        EXPECT_EQ(kSaveFormatChoices[i].index, expected[i].index) << i;
        EXPECT_STREQ(kSaveFormatChoices[i].label, expected[i].label) << i;
        // Each choice saves to a writable type.
        EXPECT_TRUE(
            IsWritableImageFileType(FileTypeFromSaveFormatIndex(kSaveFormatChoices[i].index)));
    }
    const int types[] = {0, 1, 3, 4, 9, 11, 6, 13, 14, 0};
    for (int index = 0; index <= 9; ++index)
        EXPECT_EQ(FileTypeFromSaveFormatIndex(index), types[index]) << index;
    EXPECT_EQ(FileTypeFromSaveFormatIndex(-1), 0);
}

} // namespace
