// Simple data exchange between dialog controls and member variables.
//
//   class COptionsDialog : public CDialogImpl<COptionsDialog>,
//                          public CWinDataExchange<COptionsDialog> {
//       BEGIN_DDX_MAP(COptionsDialog)
//           DDX_TEXT(1001, m_folder)                 // char array
//           DDX_INT_RANGE(1002, m_delay, 1, 3600)
//           DDX_CHECK(1003, m_loop)                  // bool or int
//           DDX_RADIO(1004, m_order)                 // first button of the group
//       END_DDX_MAP()
//   };
//
// DoDataExchange(FALSE) fills the controls, DoDataExchange(TRUE) reads them
// back and stops at the first control whose value is not valid, after calling
// the failure hook, and returns FALSE; variables read before it keep their new
// values, the offending one keeps its old value. T may replace the hooks:
//   void OnDataExchangeError(UINT nCtrlID, BOOL bSave);           // text too long
//   void OnDataValidateError(UINT nCtrlID, BOOL bSave, int nMin, int nMax); // not an
//                                                                   // integer in range
// The default hooks beep and put the focus on the control with its text selected.
#pragma once

#include <windows.h>

#include <climits>
#include <type_traits>

// Control-level routines, usable on their own. Each returns FALSE on a value
// that cannot be taken; on failure nothing is stored.
namespace uiddx {
// Text into or out of a buffer of `size` bytes; a text of size bytes or more fails to save.
BOOL Text(HWND hDlg, UINT id, char* buffer, int size, BOOL bSave);
// A signed decimal integer within [nMin, nMax] (blanks around it are allowed).
BOOL Int(HWND hDlg, UINT id, int& value, int nMin, int nMax, BOOL bSave);
// A check box: 0 unchecked, 1 checked, 2 indeterminate.
void Check(HWND hDlg, UINT id, int& value, BOOL bSave);
// A radio group starting at control id: the index of the checked button, -1 for none.
void Radio(HWND hDlg, UINT id, int& value, BOOL bSave);
// The default failure reaction: beep, focus the control, select its text.
void FocusAndBeep(HWND hDlg, UINT id);
} // namespace uiddx

template <class T> class CWinDataExchange {
public:
    void OnDataExchangeError(UINT nCtrlID, BOOL bSave) {
        uiddx::FocusAndBeep(static_cast<T*>(this)->m_hWnd, nCtrlID);
    }
    void OnDataValidateError(UINT nCtrlID, BOOL bSave, int nMin, int nMax) {
        uiddx::FocusAndBeep(static_cast<T*>(this)->m_hWnd, nCtrlID);
    }

protected:
    BOOL DdxText(UINT id, char* buffer, int size, BOOL bSave) {
        T* self = static_cast<T*>(this);
        if (uiddx::Text(self->m_hWnd, id, buffer, size, bSave))
            return TRUE;
        self->OnDataExchangeError(id, bSave);
        return FALSE;
    }
    BOOL DdxInt(UINT id, int& value, int nMin, int nMax, BOOL bSave) {
        T* self = static_cast<T*>(this);
        if (uiddx::Int(self->m_hWnd, id, value, nMin, nMax, bSave))
            return TRUE;
        self->OnDataValidateError(id, bSave, nMin, nMax);
        return FALSE;
    }
    void DdxCheck(UINT id, bool& value, BOOL bSave) {
        int v = value ? 1 : 0;
        uiddx::Check(static_cast<T*>(this)->m_hWnd, id, v, bSave);
        value = v != 0;
    }
    void DdxCheck(UINT id, int& value, BOOL bSave) {
        uiddx::Check(static_cast<T*>(this)->m_hWnd, id, value, bSave);
    }
    void DdxRadio(UINT id, int& value, BOOL bSave) {
        uiddx::Radio(static_cast<T*>(this)->m_hWnd, id, value, bSave);
    }
};

#define BEGIN_DDX_MAP(thisClass)                                                                   \
    BOOL DoDataExchange(BOOL bSaveAndValidate = FALSE, UINT nCtlID = (UINT)-1) {                   \
        (void)bSaveAndValidate;                                                                    \
        (void)nCtlID;

#define DDX_TEXT(nID, var)                                                                         \
    static_assert(std::is_array<decltype(var)>::value, "DDX_TEXT needs a char array");             \
    if (nCtlID == (UINT)-1 || nCtlID == (UINT)(nID)) {                                             \
        if (!this->DdxText(nID, var, (int)sizeof(var), bSaveAndValidate))                          \
            return FALSE;                                                                          \
    }
#define DDX_TEXT_LEN(nID, var, len)                                                                \
    if (nCtlID == (UINT)-1 || nCtlID == (UINT)(nID)) {                                             \
        if (!this->DdxText(nID, var, (int)(len), bSaveAndValidate))                                \
            return FALSE;                                                                          \
    }
#define DDX_INT(nID, var)                                                                          \
    if (nCtlID == (UINT)-1 || nCtlID == (UINT)(nID)) {                                             \
        if (!this->DdxInt(nID, var, INT_MIN, INT_MAX, bSaveAndValidate))                           \
            return FALSE;                                                                          \
    }
#define DDX_INT_RANGE(nID, var, nMin, nMax)                                                        \
    if (nCtlID == (UINT)-1 || nCtlID == (UINT)(nID)) {                                             \
        if (!this->DdxInt(nID, var, nMin, nMax, bSaveAndValidate))                                 \
            return FALSE;                                                                          \
    }
#define DDX_CHECK(nID, var)                                                                        \
    if (nCtlID == (UINT)-1 || nCtlID == (UINT)(nID))                                               \
        this->DdxCheck(nID, var, bSaveAndValidate);
#define DDX_RADIO(nID, var)                                                                        \
    if (nCtlID == (UINT)-1 || nCtlID == (UINT)(nID))                                               \
        this->DdxRadio(nID, var, bSaveAndValidate);

#define END_DDX_MAP()                                                                              \
    return TRUE;                                                                                   \
    }
