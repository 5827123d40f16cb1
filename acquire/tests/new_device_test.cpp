// What an attached drive offers: the first folder that directly holds a
// picture, searched depth first, and the files a download takes from it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "acquire/new_device.h"

namespace {

// A fresh folder tree under the temporary folder; entries ending in '\'
// are folders, the others empty files.
class Tree {
public:
    Tree(const char* name, const std::vector<std::string>& entries) {
        char base[MAX_PATH];
        ::GetTempPathA(sizeof base, base);
        root = std::string(base) + name + "-" + std::to_string(::GetCurrentProcessId());
        Remove(root);
        ::CreateDirectoryA(root.c_str(), nullptr);
        for (const std::string& entry : entries) {
            const std::string path = root + "\\" + entry;
            if (entry.back() == '\\') {
                ::CreateDirectoryA(path.c_str(), nullptr);
            } else {
                HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            0, nullptr);
                ::CloseHandle(file);
            }
        }
    }
    ~Tree() { Remove(root); }
    std::string root;

private:
    static void Remove(const std::string& folder) {
        WIN32_FIND_DATAA entry;
        HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = entry.cFileName;
                if (name == "." || name == "..")
                    continue;
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    Remove(folder + "\\" + name);
                else
                    ::DeleteFileA((folder + "\\" + name).c_str());
            } while (::FindNextFileA(find, &entry));
            ::FindClose(find);
        }
        ::RemoveDirectoryA(folder.c_str());
    }
};

TEST(NewDevice, TheFirstFolderHoldingAPictureIsFound) {
    struct Case {
        const char* name;
        std::vector<std::string> entries;
        bool found;
        std::string folder; // below the root; "" the root itself
    };
    const Case cases[] = {
        {"pictures two levels down",
         {"DCIM\\", "DCIM\\100CAMERA\\", "DCIM\\100CAMERA\\IMG_0001.JPG", "readme.txt"},
         true,
         "\\DCIM\\100CAMERA"},
        {"a picture in the root wins over deeper ones",
         {"a\\", "a\\deep.jpg", "top.png"},
         true,
         ""},
        {"no image file anywhere", {"music\\", "music\\song.mp3", "notes.txt"}, false, ""},
        {"a folder named like a picture is no picture",
         {"holiday.jpg\\", "holiday.jpg\\readme.txt"},
         false,
         ""},
        {"an empty drive", {}, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tree tree("new-device", c.entries);
        std::string found = "untouched";
        EXPECT_EQ(c.found, FindImageFolder(tree.root + "\\", "*", &found));
        if (c.found) {
            EXPECT_EQ(tree.root + c.folder, found);
        }
    }
}

TEST(NewDevice, ADownloadTakesTheFilesOfTheFolderButNotItsSubFolders) {
    Tree tree("new-device-download", {"a.jpg", "b.gif", "clip.avi", "sub\\", "sub\\c.jpg"});
    struct Case {
        bool picturesOnly;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {false, {"a.jpg", "b.gif", "clip.avi"}},
        {true, {"a.jpg", "b.gif"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> files = FilesToDownload(tree.root, c.picturesOnly);
        std::sort(files.begin(), files.end());
        std::vector<std::string> expected;
        for (const std::string& name : c.names)
            expected.push_back(tree.root + "\\" + name);
        EXPECT_EQ(expected, files) << "pictures only " << c.picturesOnly;
    }
}

} // namespace
