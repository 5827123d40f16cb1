// The adjustment dialogs: Brightness/Contrast, Color Balance, Hue/Saturation
// and Posterize show their result live on the image a view displays, from a
// preview thread of their own; Indexed Color only asks a number of colours.
//
// The caller sets the view (handed to the redraw callback, may be null), the
// source image (the pixels every preview starts from) and the working image
// (what the view shows; same size, depth and stride as the source), and
// clears `restore` where it wants a preview kept. After IDOK it reads
// `previewKept` (the working image then holds the result, marked modified)
// or makes the operation with MakeOperation. Cancel, whatever happened
// before, leaves the working image byte for byte equal to the source.
//
// The two threads never write the working image at once: the preview thread
// applies under the apply lock, and the user-interface thread restores the
// source pixels only inside it, after setting the operation's cancel flag so
// that a running application returns early.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "imaging/operations/color_adjustments.h"
#include "resources/resource.h"
#include "tools/logic/adjust_values.h"
#include "ui/dialog.h"

class CImageObject;
class CImageView;

class CPreviewDialogBase : public CDialogImplBase {
public:
    ~CPreviewDialogBase() override;

    CImageView* view = nullptr;
    CImageObject* source = nullptr;
    CImageObject* working = nullptr;
    bool restore = true;
    bool previewKept = false;
    bool preview = true; // the Preview box; its option changes only on OK

    // values[set][field]: the set is the tone or colour range shown.
    int values[7][3] = {};

    // A new operation holding the dialog's values.
    virtual std::unique_ptr<CImageOperation> MakeOperation() const = 0;

    BEGIN_MSG_MAP(CPreviewDialogBase)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_HSCROLL, OnHScroll)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_CODE_HANDLER(EN_UPDATE, OnEditUpdate)
    COMMAND_CODE_HANDLER(BN_CLICKED, OnClicked)
    COMMAND_CODE_HANDLER(CBN_SELCHANGE, OnSelChange)
    END_MSG_MAP()

protected:
    CPreviewDialogBase();
    // Set by each dialog's constructor.
    void Describe(tools_logic::AdjustmentFields fields, int sets, int currentSet, bool* option,
                  CImageOperation* operation);
    // Copies the values into the dialog's operation (under the value lock).
    virtual void CopyValues() = 0;
    // The dialog's own controls besides the value fields.
    virtual void InitExtraControls() {}
    virtual void ReadExtraControls() {}
    // A click or selection of a dialog's own control; true when handled.
    virtual bool OnExtraCommand(WORD, WORD) { return false; }

    // Reads the edits into the current set; false (after the beep or the
    // range message, with the focus on the edit) when one is refused.
    bool ReadEdits();
    // Shows the current set's values in the edits and trackbars.
    void ShowCurrentSet();
    void ChangeSet(int set);
    void RequestPreview();
    void StoreValue(int field, int value);
    // Runs `change` on the values under the value lock, as a new answer.
    template <class F> void ChangeValues(F change) {
        ::EnterCriticalSection(&m_valueLock);
        change();
        ++m_valuesVersion;
        ::LeaveCriticalSection(&m_valueLock);
    }

    tools_logic::AdjustmentFields m_fields{};
    int m_sets = 1;
    int m_currentSet = 0;
    bool* m_option = nullptr;
    CImageOperation* m_operation = nullptr;
    bool m_ready = false;

    CRITICAL_SECTION m_valueLock;
    long m_valuesVersion = 0;

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHScroll(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnEditUpdate(WORD, WORD, HWND, BOOL&);
    LRESULT OnClicked(WORD, WORD, HWND, BOOL&);
    LRESULT OnSelChange(WORD, WORD, HWND, BOOL&);

    static DWORD WINAPI PreviewThread(LPVOID self);
    void RunPreviews();
    void StopThread();
    // Copies the source pixels over the working image (inside the apply
    // lock) and redraws the whole view.
    void RestoreSource();
    void RedrawAll();

    CRITICAL_SECTION m_applyLock;
    HANDLE m_wake = nullptr;
    HANDLE m_thread = nullptr;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_previewWanted{false};
    // Which values the working image shows: a kept preview must be the last.
    long m_appliedVersion = -1;
};

class CBrightnessContrastDialog
    : public CDialogImpl<CBrightnessContrastDialog, CPreviewDialogBase> {
public:
    enum { IDD = IDD_BRIGHTNESS_CONTRAST };
    CBrightnessContrastDialog();
    std::unique_ptr<CImageOperation> MakeOperation() const override;

private:
    void CopyValues() override;
    void Fill(CBrightnessContrastOp& op) const;
    CBrightnessContrastOp m_op;
};

class CColorBalanceDialog : public CDialogImpl<CColorBalanceDialog, CPreviewDialogBase> {
public:
    enum { IDD = IDD_COLOR_BALANCE };
    CColorBalanceDialog();
    std::unique_ptr<CImageOperation> MakeOperation() const override;
    bool preserveLuminosity = true;

private:
    void CopyValues() override;
    void InitExtraControls() override;
    void ReadExtraControls() override;
    bool OnExtraCommand(WORD id, WORD code) override;
    void Fill(CColorBalanceOp& op) const;
    CColorBalanceOp m_op;
};

class CHueSaturationDialog : public CDialogImpl<CHueSaturationDialog, CPreviewDialogBase> {
public:
    enum { IDD = IDD_HUE_SATURATION };
    CHueSaturationDialog();
    std::unique_ptr<CImageOperation> MakeOperation() const override;

private:
    void CopyValues() override;
    void InitExtraControls() override;
    bool OnExtraCommand(WORD id, WORD code) override;
    void Fill(CHueSaturationOp& op) const;
    CHueSaturationOp m_op;
};

class CPosterizeDialog : public CDialogImpl<CPosterizeDialog, CPreviewDialogBase> {
public:
    enum { IDD = IDD_POSTERIZE };
    CPosterizeDialog();
    std::unique_ptr<CImageOperation> MakeOperation() const override;

private:
    void CopyValues() override;
    void InitExtraControls() override;
    CPosterizeOp m_op;
};

class CIndexedColorDialog : public CDialogImpl<CIndexedColorDialog> {
public:
    enum { IDD = IDD_INDEXED_COLOR };
    int colorCount = 256;

    BEGIN_MSG_MAP(CIndexedColorDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
};

// Reads one value edit of a parameter dialog: false after a beep (no number)
// or the field's range message (caption "Failed!"), with the focus on the
// edit.
bool ReadValueEdit(HWND dialog, const tools_logic::ValueField& field, int* value);
