// A folder of the test's own under the temporary folder, removed with its
// files when the test ends; files are written with chosen sizes and times.
#pragma once

#include <windows.h>

#include <string>

class CTestFolder {
public:
    explicit CTestFolder(const char* tag) {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        m_path = std::string(temp) + "vxp_" + tag + "_" + std::to_string(GetCurrentProcessId()) +
                 "_" + std::to_string(++counter);
        CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~CTestFolder() { RemoveTree(m_path); }
    CTestFolder(const CTestFolder&) = delete;
    CTestFolder& operator=(const CTestFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

    // Writes `size` bytes; with a year, sets the last-write time to 1 January
    // of that year. Returns the full path.
    std::string Write(const std::string& name, DWORD size, WORD year = 0) const {
        const std::string path = File(name);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return path;
        std::string bytes(size, 'x');
        DWORD done = 0;
        if (size)
            WriteFile(file, bytes.data(), size, &done, nullptr);
        if (year) {
            SYSTEMTIME st{};
            st.wYear = year;
            st.wMonth = 1;
            st.wDay = 1;
            FILETIME ft;
            SystemTimeToFileTime(&st, &ft);
            SetFileTime(file, nullptr, nullptr, &ft);
        }
        CloseHandle(file);
        return path;
    }

    std::string MakeFolder(const std::string& name) const {
        const std::string path = File(name);
        CreateDirectoryA(path.c_str(), nullptr);
        return path;
    }

private:
    static void RemoveTree(const std::string& folder) {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = data.cFileName;
                if (name == "." || name == "..")
                    continue;
                const std::string path = folder + "\\" + name;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path);
                else
                    DeleteFileA(path.c_str());
            } while (FindNextFileA(find, &data));
            FindClose(find);
        }
        RemoveDirectoryA(folder.c_str());
    }

    std::string m_path;
};
