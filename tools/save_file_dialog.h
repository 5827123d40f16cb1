// Save As: the common file dialog in save mode, whose file name follows the
// chosen file type: choosing "TIFF" while the name is photo.jpg makes it
// photo.tif.
#pragma once

#include <windows.h>

#include <string>

#include "app/image_saving.h"

class CSaveFileDialog {
public:
    // `filters`: description and pattern pairs, each ended by '\0', the list
    // by another; it must outlive the dialog.
    CSaveFileDialog(const char* defaultExtension, const char* fileName, const char* filters,
                    const char* folder);

    int filterIndex = 0; // 1-based; 0 keeps the dialog's default
    // After IDOK: the chosen path.
    char path[MAX_PATH] = {};

    // IDOK or IDCANCEL.
    INT_PTR DoModal(HWND owner);

private:
    static UINT_PTR CALLBACK Hook(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);
    void OnTypeChange(HWND dialog, int index) const;

    std::string m_defaultExtension;
    std::string m_folder;
    const char* m_filters;
};

// The save flow's file asker (image_saving::SetSaveFileAsker).
bool AskSaveFilePath(const image_saving::SaveFileRequest& request, char* chosen);
