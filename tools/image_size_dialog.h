// Image Size: the new size of an image, by percentage or by dimensions, with
// the proportions kept or the image fitted into a box.
#pragma once

#include <windows.h>

#include <memory>

#include "imaging/operations/image_operation.h"
#include "resources/resource.h"
#include "tools/logic/adjust_values.h"
#include "ui/dialog.h"

class CImageSizeDialog : public CDialogImpl<CImageSizeDialog> {
public:
    enum { IDD = IDD_IMAGE_SIZE };

    // The full size of the image to resize: what Percentage and the
    // proportions refer to, and the dimensions shown at opening.
    CImageSizeDialog(int imageHeight, int imageWidth);

    // Shown when the dialog opens; after IDOK, the answer.
    int kind = tools_logic::kSizeByPercent;
    int percent = 100;
    int width = 0;
    int height = 0;
    int constrainMode = tools_logic::kConstrainNone;
    int fitMode = 0;

    tools_logic::ImageSizeRequest Request() const;
    // The resize the answer asks for.
    std::unique_ptr<CImageOperation> MakeOperation() const;

    BEGIN_MSG_MAP(CImageSizeDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_CODE_HANDLER(BN_CLICKED, OnClicked)
    COMMAND_CODE_HANDLER(EN_UPDATE, OnEditUpdate)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnClicked(WORD, WORD, HWND, BOOL&);
    LRESULT OnEditUpdate(WORD, WORD, HWND, BOOL&);

    void ShowKind();
    void ApplyEnabling();
    // Writes a number into an edit without its update recomputing anything.
    void WriteNumber(int id, int value);

    int m_imageWidth;
    int m_imageHeight;
    bool m_ready = false;
};
