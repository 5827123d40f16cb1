#include "tools/adjustment_dialogs.h"

#include <commctrl.h>

#include <cstring>

#include "app/application_state.h"
#include "app/image_cache.h"
#include "imaging/image_object.h"

namespace {

using tools_logic::FieldRead;
using tools_logic::ValueField;

void RedrawRows(uintptr_t view, int first, int count) {
    RedrawImageViewRows(reinterpret_cast<CImageView*>(view), first, count);
}

void SetTrackbar(HWND dialog, int id, int minimum, int maximum, int position) {
    HWND track = ::GetDlgItem(dialog, id);
    if (!track)
        return;
    ::SendMessageA(track, TBM_SETRANGE, TRUE, MAKELPARAM(minimum, maximum));
    ::SendMessageA(track, TBM_SETPAGESIZE, 0, 10);
    ::SendMessageA(track, TBM_SETTICFREQ, maximum == 180 ? 180 : 100, 0);
    ::SendMessageA(track, TBM_SETPOS, TRUE, position);
}

void CheckBox(HWND dialog, int id, int state) {
    ::CheckDlgButton(dialog, id, state >= 0 && state <= 2 ? state : 0);
}

constexpr const char* kHueRanges[] = {"Master", "Reds",  "Yellows", "Greens",
                                      "Cyans",  "Blues", "Magentas"};

} // namespace

bool ReadValueEdit(HWND dialog, const ValueField& field, int* value) {
    char text[64] = {};
    ::GetDlgItemTextA(dialog, field.edit, text, sizeof text);
    const FieldRead read = tools_logic::ReadFieldValue(text, field.minimum, field.maximum, value);
    if (read == FieldRead::kNumber)
        return true;
    if (read == FieldRead::kNotNumber) {
        ::MessageBeep(static_cast<UINT>(-1));
    } else {
        const std::string message =
            tools_logic::RangeMessage(field.rangePattern, field.minimum, field.maximum);
        ::MessageBoxA(::GetActiveWindow(), message.c_str(), "Failed!", MB_OK | MB_ICONERROR);
    }
    ::SetFocus(::GetDlgItem(dialog, field.edit));
    return false;
}

CPreviewDialogBase::CPreviewDialogBase() {
    ::InitializeCriticalSection(&m_valueLock);
    ::InitializeCriticalSection(&m_applyLock);
    m_wake = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

CPreviewDialogBase::~CPreviewDialogBase() {
    StopThread();
    if (m_wake)
        ::CloseHandle(m_wake);
    ::DeleteCriticalSection(&m_applyLock);
    ::DeleteCriticalSection(&m_valueLock);
}

void CPreviewDialogBase::Describe(tools_logic::AdjustmentFields fields, int sets, int currentSet,
                                  bool* option, CImageOperation* operation) {
    m_fields = fields;
    m_sets = sets;
    m_currentSet = currentSet;
    m_option = option;
    m_operation = operation;
    preview = option ? *option : true;
}

LRESULT CPreviewDialogBase::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    m_ready = false;
    CheckBox(m_hWnd, IDC_ADJUST_PREVIEW, preview ? 1 : 0);
    for (int i = 0; i < m_fields.count; ++i) {
        const ValueField& field = m_fields.fields[i];
        SetTrackbar(m_hWnd, field.track, field.minimum, field.maximum, 0);
    }
    InitExtraControls();
    ShowCurrentSet();
    m_operation->progress = &RedrawRows;
    m_operation->userValue = reinterpret_cast<uintptr_t>(view);
    m_operation->createDestination = false;
    m_stop = false;
    m_previewWanted = preview;
    m_ready = true;
    if (source && working && m_wake)
        m_thread = ::CreateThread(nullptr, 0, &PreviewThread, this, 0, nullptr);
    return TRUE;
}

void CPreviewDialogBase::ShowCurrentSet() {
    const bool wasReady = m_ready;
    m_ready = false;
    for (int i = 0; i < m_fields.count; ++i) {
        const ValueField& field = m_fields.fields[i];
        ::SetDlgItemInt(m_hWnd, field.edit, static_cast<UINT>(values[m_currentSet][i]), TRUE);
        if (field.track)
            ::SendDlgItemMessageA(m_hWnd, field.track, TBM_SETPOS, TRUE, values[m_currentSet][i]);
    }
    m_ready = wasReady;
}

bool CPreviewDialogBase::ReadEdits() {
    int read[3] = {};
    for (int i = 0; i < m_fields.count; ++i)
        if (!ReadValueEdit(m_hWnd, m_fields.fields[i], &read[i]))
            return false;
    for (int i = 0; i < m_fields.count; ++i)
        StoreValue(i, read[i]);
    return true;
}

void CPreviewDialogBase::StoreValue(int field, int value) {
    ::EnterCriticalSection(&m_valueLock);
    if (values[m_currentSet][field] != value) {
        values[m_currentSet][field] = value;
        ++m_valuesVersion;
    }
    ::LeaveCriticalSection(&m_valueLock);
}

void CPreviewDialogBase::ChangeSet(int set) {
    if (set < 0 || set >= m_sets)
        return;
    ReadEdits();
    m_currentSet = set;
    ShowCurrentSet();
    RequestPreview();
}

void CPreviewDialogBase::RequestPreview() {
    if (preview && m_wake)
        ::SetEvent(m_wake);
}

LRESULT CPreviewDialogBase::OnHScroll(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (!m_ready)
        return 0;
    HWND track = reinterpret_cast<HWND>(lParam);
    bool changed = false;
    for (int i = 0; i < m_fields.count; ++i) {
        const ValueField& field = m_fields.fields[i];
        if (!field.track || ::GetDlgItem(m_hWnd, field.track) != track)
            continue;
        const int position = static_cast<int>(::SendMessageA(track, TBM_GETPOS, 0, 0));
        if (position == values[m_currentSet][i])
            continue;
        StoreValue(i, position);
        m_ready = false;
        ::SetDlgItemInt(m_hWnd, field.edit, static_cast<UINT>(position), TRUE);
        m_ready = true;
        changed = true;
    }
    if (changed)
        RequestPreview();
    return 0;
}

LRESULT CPreviewDialogBase::OnEditUpdate(WORD, WORD id, HWND, BOOL&) {
    if (!m_ready)
        return 0;
    bool isField = false;
    for (int i = 0; i < m_fields.count; ++i)
        isField |= m_fields.fields[i].edit == id;
    if (!isField)
        return 0;
    m_ready = false;
    const bool read = ReadEdits();
    m_ready = true;
    if (!read)
        return 0;
    for (int i = 0; i < m_fields.count; ++i)
        if (m_fields.fields[i].track)
            ::SendDlgItemMessageA(m_hWnd, m_fields.fields[i].track, TBM_SETPOS, TRUE,
                                  values[m_currentSet][i]);
    ReadExtraControls();
    RequestPreview();
    return 0;
}

LRESULT CPreviewDialogBase::OnClicked(WORD, WORD id, HWND, BOOL& handled) {
    if (id == IDOK || id == IDCANCEL) {
        handled = FALSE;
        return 0;
    }
    if (!m_ready)
        return 0;
    if (id == IDC_ADJUST_PREVIEW) {
        preview = ::IsDlgButtonChecked(m_hWnd, IDC_ADJUST_PREVIEW) == BST_CHECKED;
        m_previewWanted = preview;
        if (preview) {
            RequestPreview();
        } else {
            m_operation->cancel = true;
            RestoreSource();
        }
        return 0;
    }
    OnExtraCommand(id, BN_CLICKED);
    return 0;
}

LRESULT CPreviewDialogBase::OnSelChange(WORD, WORD id, HWND, BOOL&) {
    if (m_ready)
        OnExtraCommand(id, CBN_SELCHANGE);
    return 0;
}

DWORD WINAPI CPreviewDialogBase::PreviewThread(LPVOID self) {
    static_cast<CPreviewDialogBase*>(self)->RunPreviews();
    return 0;
}

void CPreviewDialogBase::RunPreviews() {
    for (;;) {
        ::WaitForSingleObject(m_wake, INFINITE);
        if (m_stop)
            return;
        ::EnterCriticalSection(&m_applyLock);
        if (m_previewWanted && !m_stop) {
            m_operation->cancel = false;
            ::EnterCriticalSection(&m_valueLock);
            CopyValues();
            const long version = m_valuesVersion;
            ::LeaveCriticalSection(&m_valueLock);
            const bool applied = m_operation->Apply(working, source);
            m_appliedVersion = applied ? version : -1;
        }
        ::LeaveCriticalSection(&m_applyLock);
    }
}

void CPreviewDialogBase::StopThread() {
    if (!m_thread)
        return;
    m_stop = true;
    ::SetEvent(m_wake);
    ::WaitForSingleObject(m_thread, INFINITE);
    ::CloseHandle(m_thread);
    m_thread = nullptr;
}

void CPreviewDialogBase::RestoreSource() {
    if (!source || !working)
        return;
    ::EnterCriticalSection(&m_applyLock);
    if (source->bits && working->bits && source->stride == working->stride &&
        source->height == working->height)
        std::memcpy(working->bits, source->bits,
                    static_cast<size_t>(source->stride) * static_cast<size_t>(source->height));
    if (source->palette && working->palette && source->paletteCount == working->paletteCount) {
        working->CopyPalette(source);
        working->UpdateColorTable();
    }
    m_appliedVersion = -1;
    ::LeaveCriticalSection(&m_applyLock);
    RedrawAll();
}

void CPreviewDialogBase::RedrawAll() {
    RedrawImageViewRows(view, -1, -1);
}

LRESULT CPreviewDialogBase::OnOK(WORD, WORD, HWND, BOOL&) {
    if (!ReadEdits())
        return 0;
    ReadExtraControls();
    preview = ::IsDlgButtonChecked(m_hWnd, IDC_ADJUST_PREVIEW) == BST_CHECKED;
    if (m_option)
        *m_option = preview;
    StopThread();
    if (restore) {
        if (preview)
            RestoreSource();
    } else if (preview && source && working) {
        // The last values typed may not have reached the preview before the
        // thread stopped: the kept image must be the answer's.
        if (m_appliedVersion != m_valuesVersion) {
            m_operation->cancel = false;
            CopyValues();
            if (!m_operation->Apply(working, source)) {
                RestoreSource();
                EndDialog(IDOK);
                return 0;
            }
            RedrawAll();
        }
        previewKept = true;
        working->SetModified();
    }
    EndDialog(IDOK);
    return 0;
}

LRESULT CPreviewDialogBase::OnCancel(WORD, WORD, HWND, BOOL&) {
    if (m_operation)
        m_operation->cancel = true;
    StopThread();
    RestoreSource();
    EndDialog(IDCANCEL);
    return 0;
}

// --- Brightness/Contrast ---------------------------------------------------

CBrightnessContrastDialog::CBrightnessContrastDialog() {
    Describe(tools_logic::BrightnessContrastFields(), 1, 0,
             &g_applicationState.Options().brightnessContrastDialogPreview, &m_op);
}

void CBrightnessContrastDialog::Fill(CBrightnessContrastOp& op) const {
    op.brightness = values[0][0];
    op.contrast = values[0][1];
}

void CBrightnessContrastDialog::CopyValues() {
    Fill(m_op);
}

std::unique_ptr<CImageOperation> CBrightnessContrastDialog::MakeOperation() const {
    auto op = std::make_unique<CBrightnessContrastOp>();
    Fill(*op);
    return op;
}

// --- Color Balance ---------------------------------------------------------

CColorBalanceDialog::CColorBalanceDialog() {
    Describe(tools_logic::ColorBalanceFields(), 3, CColorBalanceOp::kMidtones,
             &g_applicationState.Options().colorBalanceDialogPreview, &m_op);
}

void CColorBalanceDialog::Fill(CColorBalanceOp& op) const {
    for (int axis = 0; axis < 3; ++axis)
        for (int range = 0; range < 3; ++range)
            op.values[axis][range] = values[range][axis];
    op.preserveLuminosity = preserveLuminosity;
}

void CColorBalanceDialog::CopyValues() {
    Fill(m_op);
}

std::unique_ptr<CImageOperation> CColorBalanceDialog::MakeOperation() const {
    auto op = std::make_unique<CColorBalanceOp>();
    Fill(*op);
    return op;
}

void CColorBalanceDialog::InitExtraControls() {
    ::CheckRadioButton(m_hWnd, IDC_BALANCE_SHADOWS, IDC_BALANCE_HIGHLIGHTS,
                       IDC_BALANCE_SHADOWS + m_currentSet);
    CheckBox(m_hWnd, IDC_BALANCE_LUMINOSITY, preserveLuminosity ? 1 : 0);
}

void CColorBalanceDialog::ReadExtraControls() {
    const bool luminosity = ::IsDlgButtonChecked(m_hWnd, IDC_BALANCE_LUMINOSITY) == BST_CHECKED;
    if (luminosity != preserveLuminosity)
        ChangeValues([&] { preserveLuminosity = luminosity; });
}

bool CColorBalanceDialog::OnExtraCommand(WORD id, WORD) {
    if (id >= IDC_BALANCE_SHADOWS && id <= IDC_BALANCE_HIGHLIGHTS) {
        ChangeSet(id - IDC_BALANCE_SHADOWS);
        return true;
    }
    if (id == IDC_BALANCE_LUMINOSITY) {
        ReadExtraControls();
        RequestPreview();
        return true;
    }
    return false;
}

// --- Hue/Saturation --------------------------------------------------------

CHueSaturationDialog::CHueSaturationDialog() {
    Describe(tools_logic::HueSaturationFields(), CHueSaturationOp::kRanges, 0,
             &g_applicationState.Options().hueSaturationDialogPreview, &m_op);
}

void CHueSaturationDialog::Fill(CHueSaturationOp& op) const {
    for (int range = 0; range < CHueSaturationOp::kRanges; ++range) {
        op.hue[range] = values[range][0];
        op.saturation[range] = values[range][1];
        op.lightness[range] = values[range][2];
    }
}

void CHueSaturationDialog::CopyValues() {
    Fill(m_op);
}

std::unique_ptr<CImageOperation> CHueSaturationDialog::MakeOperation() const {
    auto op = std::make_unique<CHueSaturationOp>();
    Fill(*op);
    return op;
}

void CHueSaturationDialog::InitExtraControls() {
    HWND combo = GetDlgItem(IDC_HUE_RANGE);
    for (const char* name : kHueRanges)
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(m_currentSet), 0);
}

bool CHueSaturationDialog::OnExtraCommand(WORD id, WORD code) {
    if (id != IDC_HUE_RANGE || code != CBN_SELCHANGE)
        return false;
    ChangeSet(static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_HUE_RANGE, CB_GETCURSEL, 0, 0)));
    return true;
}

// --- Posterize -------------------------------------------------------------

CPosterizeDialog::CPosterizeDialog() {
    Describe(tools_logic::PosterizeFields(), 1, 0,
             &g_applicationState.Options().posterizeDialogPreview, &m_op);
    values[0][0] = 4;
}

void CPosterizeDialog::CopyValues() {
    m_op.levels = values[0][0];
}

std::unique_ptr<CImageOperation> CPosterizeDialog::MakeOperation() const {
    auto op = std::make_unique<CPosterizeOp>();
    op->levels = values[0][0];
    return op;
}

void CPosterizeDialog::InitExtraControls() {
    HWND spin = GetDlgItem(IDC_POSTERIZE_SPIN);
    ::SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(IDC_ADJUST_VALUE)), 0);
    ::SendMessageA(spin, UDM_SETRANGE32, 2, 255);
    ::SendMessageA(spin, UDM_SETPOS32, 0, values[0][0]);
    // The level shown is previewed at once, but only when Preview is ticked.
    RequestPreview();
}

// --- Indexed Color ---------------------------------------------------------

LRESULT CIndexedColorDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    SetDlgItemInt(IDC_INDEXED_COLORS, static_cast<UINT>(colorCount), TRUE);
    return TRUE;
}

LRESULT CIndexedColorDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    int value = 0;
    if (!ReadValueEdit(m_hWnd, tools_logic::IndexedColorField(), &value))
        return 0;
    colorCount = value;
    EndDialog(IDOK);
    return 0;
}

LRESULT CIndexedColorDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}
