#include "explorer/find_dialog.h"

#include <shlwapi.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_globals.h"
#include "app/app_module.h"
#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/logic/image_attributes.h"
#include "catalog/btree_index.h"
#include "explorer/browse_folder_dialog.h"
#include "imaging/image_file_types.h"
#include "imaging/byte_stream.h"
#include "platform/checked_size.h"

using find_rules::FindChoices;

namespace {

constexpr int kCheckIds[5] = {IDC_FIND_KEYWORD, IDC_FIND_ARTIST, IDC_FIND_NAME, IDC_FIND_MATCH_CASE,
                              IDC_FIND_SUBFOLDERS};
// Longest catalogue key read back: a full path's worth.
constexpr uint32_t kMaxKey = MAX_PATH;
// Longest attributes record read: far beyond any typed description.
constexpr uint64_t kMaxRecord = 4u << 20;

// The system's comparison without regard to case, which knows the letters of
// the user's code page (multibyte-aware), unlike a byte fold.
bool SystemEqualNoCase(const char* a, size_t lengthA, const char* b, size_t lengthB) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, static_cast<int>(lengthA), b,
                          static_cast<int>(lengthB)) == CSTR_EQUAL;
}

std::string ControlText(HWND dialog, int id) {
    const HWND control = ::GetDlgItem(dialog, id);
    const int length = ::GetWindowTextLengthA(control);
    std::vector<char> text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    ::GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
    return text.data();
}

// Reads the cursor's value into *buffer, growing it when the value is
// longer; *length gets the value's length. False when it cannot be read.
bool ReadValue(CBTreeCursor* cursor, std::vector<uint8_t>* buffer, uint32_t* length) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        DbBuffer value = DbBuffer::Out(buffer->data(), static_cast<uint32_t>(buffer->size()));
        if (!cursor->GetValue(&value))
            return false;
        if (value.length <= buffer->size()) {
            *length = value.length;
            return true;
        }
        if (!plat::CheckedSize(value.length).FitsIn(kMaxRecord))
            return false; // no attributes record is that long: a damaged one
        buffer->resize(value.length);
    }
    return false;
}

void BeepAndFocus(HWND dialog, int id) {
    ::MessageBeep(static_cast<UINT>(-1));
    ::SetFocus(::GetDlgItem(dialog, id));
}

} // namespace

// What one search works on: its own copy of the choices, the list it fills,
// and the dialog's stop flag and window, both of which outlive the thread.
struct CFindDialog::SearchJob {
    FindChoices choices;
    uintptr_t resultKey = 0;
    const std::atomic<bool>* stop = nullptr;
    HWND dialog = nullptr;
    int hits = 0;

    bool Stopped() const { return stop->load(); }
    void Add(const std::string& path) {
        g_applicationState.OnFileAdded(kListSearchResult, reinterpret_cast<const char*>(resultKey),
                                       path.c_str());
        ++hits;
    }
    void SearchAttributes();
    void SearchFolder(const std::string& folder, const std::string& pattern, bool recurse);
};

// The catalogue has no locks of its own: the walk holds the main database's
// lock and only gathers the matching keys. The hits are added after it is
// left, because adding one sends a list change to the windows, whose
// answers may read the catalogue themselves.
void CFindDialog::SearchJob::SearchAttributes() {
    if (!choices.keyword && !choices.artist)
        return;
    std::vector<std::string> keys;
    {
        plat::ScopedLock guard(g_applicationState.MainDatabaseLock());
        CBTreeIndex* index = g_applicationState.Databases().imageProperties;
        CBTreeCursor* cursor = index ? index->NewCursor(false) : nullptr;
        if (!cursor)
            return;
        // One key and one value buffer for the whole walk (a value that
        // does not fit is read again into a larger one).
        std::vector<uint8_t> keyBytes(kMaxKey + 1), valueBytes(4096);
        uint32_t value = 0;
        CImageAttributes record;
        for (bool on = cursor->First(); on && !Stopped(); on = cursor->Next()) {
            DbBuffer key = DbBuffer::Out(keyBytes.data(), static_cast<uint32_t>(keyBytes.size()));
            if (!cursor->GetKey(&key) || key.length > kMaxKey)
                continue; // a key no path can have
            if (!ReadValue(cursor, &valueBytes, &value))
                continue;
            CByteStream stream;
            stream.AttachReadOnly(valueBytes.data(), value);
            if (!record.Load(&stream))
                continue; // a damaged record
            bool hit = choices.keyword && !record.keywords.empty() &&
                       find_rules::KeywordsMatch(record.keywords, choices.text, choices.matchCase,
                                                 SystemEqualNoCase);
            if (!hit && choices.artist && !record.artist.empty())
                hit = find_rules::WholeValueMatches(record.artist, choices.text, choices.matchCase,
                                                    SystemEqualNoCase);
            if (hit)
                keys.emplace_back(reinterpret_cast<const char*>(key.data), key.length);
        }
        index->ReleaseCursor(cursor);
    }
    for (const std::string& key : keys) {
        if (Stopped())
            return;
        std::string path;
        if (g_applicationState.ResolveAttributesKey(key.c_str(), &path))
            Add(path);
    }
}

void CFindDialog::SearchJob::SearchFolder(const std::string& folder, const std::string& pattern,
                                          bool recurse) {
    std::string wildcard;
    if (!find_rules::JoinPath(folder, pattern, MAX_PATH, &wildcard))
        return;
    WIN32_FIND_DATAA entry;
    HANDLE walk = ::FindFirstFileA(wildcard.c_str(), &entry);
    if (walk != INVALID_HANDLE_VALUE) {
        do {
            if (Stopped()) {
                ::FindClose(walk);
                return;
            }
            std::string path;
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                DetectImageFileType(entry.cFileName) != kFileTypeUnknown &&
                find_rules::JoinPath(folder, entry.cFileName, MAX_PATH, &path))
                Add(path);
        } while (::FindNextFileA(walk, &entry));
        ::FindClose(walk);
    }
    if (!recurse || !find_rules::JoinPath(folder, "*", MAX_PATH, &wildcard))
        return;
    walk = ::FindFirstFileA(wildcard.c_str(), &entry);
    if (walk == INVALID_HANDLE_VALUE)
        return;
    do {
        if (Stopped())
            break;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            lstrcmpA(entry.cFileName, ".") == 0 || lstrcmpA(entry.cFileName, "..") == 0)
            continue;
        std::string child;
        if (find_rules::JoinPath(folder, entry.cFileName, MAX_PATH, &child))
            SearchFolder(child, pattern, true);
    } while (::FindNextFileA(walk, &entry));
    ::FindClose(walk);
}

DWORD WINAPI CFindDialog::SearchThread(void* parameter) {
    std::unique_ptr<SearchJob> job(static_cast<SearchJob*>(parameter));
    job->SearchAttributes();
    if (job->choices.name && !job->Stopped()) {
        // A pattern that cannot fit beside the folder finds nothing rather
        // than a cut-off name.
        std::string bounded;
        if (find_rules::NamePattern(job->choices.lookIn, job->choices.text, MAX_PATH, &bounded))
            job->SearchFolder(job->choices.lookIn, "*" + job->choices.text + "*",
                              job->choices.subfolders);
    }
    ::PostMessageA(job->dialog, kMsgFindEnded, static_cast<WPARAM>(job->hits),
                   static_cast<LPARAM>(::GetCurrentThreadId()));
    return 0;
}

// --- the dialog ---------------------------------------------------------------

CFindDialog::CFindDialog(uintptr_t resultKey, HWND tree, HTREEITEM resultRoot)
    : m_resultKey(resultKey), m_tree(tree), m_resultRoot(resultRoot) {}

CFindDialog::~CFindDialog() {
    // The window is normally gone (and the thread with it) before the owner
    // frees the object; a window still there is destroyed first.
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    WaitForSearchThread();
    if (m_smallIcon)
        ::DestroyIcon(m_smallIcon);
}

HWND CFindDialog::Create(HWND owner) {
    m_owner = owner;
    return CDialogImpl<CFindDialog>::Create(owner);
}

void CFindDialog::Show() {
    if (!m_hWnd)
        return;
    ShowWindow(SW_SHOW);
    ::SetForegroundWindow(m_hWnd);
    ::SetFocus(::GetDlgItem(m_hWnd, IDC_FIND_WHAT));
}

void CFindDialog::SetLookIn(const char* path) {
    if (!path || m_stop.load())
        return;
    m_choices.lookIn = path;
    if (m_hWnd) {
        ::SetDlgItemTextA(m_hWnd, IDC_FIND_LOOK_IN, path);
        UpdateControls();
    }
}

BOOL CFindDialog::PreTranslateMessage(MSG* msg) {
    return m_hWnd && ::IsWindowVisible(m_hWnd) && ::IsDialogMessageA(m_hWnd, msg);
}

LRESULT CFindDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    const CAppOptions& options = g_applicationState.Options();
    const bool stored[5] = {options.explorerFindDlgDefKeyword, options.explorerFindDlgDefAuthor,
                            options.explorerFindDlgDefName, options.explorerFindDlgDefMatchCase,
                            options.explorerFindDlgDefLookInSubfolders};
    for (int i = 0; i < 5; ++i) {
        m_checks[i] = find_rules::ShownCheckState(stored[i] ? 1 : 0);
        ::CheckDlgButton(m_hWnd, kCheckIds[i], static_cast<UINT>(m_checks[i]));
    }
    ::SendDlgItemMessageA(m_hWnd, IDC_FIND_LOOK_IN, CB_LIMITTEXT, MAX_PATH - 1, 0);
    if (!::SetDlgItemTextA(m_hWnd, IDC_FIND_WHAT, m_choices.text.c_str()))
        BeepAndFocus(m_hWnd, IDC_FIND_WHAT);
    if (!::SetDlgItemTextA(m_hWnd, IDC_FIND_LOOK_IN, m_choices.lookIn.c_str()))
        BeepAndFocus(m_hWnd, IDC_FIND_LOOK_IN);
    m_smallIcon = static_cast<HICON>(
        LoadImageA(UiModuleInstance(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0));
    if (m_smallIcon)
        ::SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
    if (m_owner)
        CenterWindow(m_owner);
    if (CMessageLoop* loop = g_module.GetMessageLoop()) {
        loop->AddMessageFilter(this);
        m_filterAdded = true;
    }
    UpdateControls();
    return TRUE;
}

bool CFindDialog::ReadControls() {
    m_choices.text = ControlText(m_hWnd, IDC_FIND_WHAT);
    for (int i = 0; i < 5; ++i)
        m_checks[i] = find_rules::ShownCheckState(::IsDlgButtonChecked(m_hWnd, kCheckIds[i]));
    m_choices.keyword = m_checks[0] == BST_CHECKED;
    m_choices.artist = m_checks[1] == BST_CHECKED;
    m_choices.name = m_checks[2] == BST_CHECKED;
    m_choices.matchCase = m_checks[3] == BST_CHECKED;
    m_choices.subfolders = m_checks[4] == BST_CHECKED;
    const std::string lookIn = ControlText(m_hWnd, IDC_FIND_LOOK_IN);
    if (lookIn.size() >= MAX_PATH) {
        BeepAndFocus(m_hWnd, IDC_FIND_LOOK_IN);
        return false;
    }
    m_choices.lookIn = lookIn;
    return true;
}

void CFindDialog::UpdateControls() {
    ReadControls();
    const BOOL name = m_choices.name ? TRUE : FALSE;
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_FIND_LOOK_IN), name);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_FIND_BROWSE), name);
    const bool exists = !m_choices.lookIn.empty() && ::PathFileExistsA(m_choices.lookIn.c_str());
    // While a search runs the default button is its Stop.
    const bool enabled = IsSearching() || find_rules::CanStartSearch(m_choices, exists);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), enabled ? TRUE : FALSE);
}

LRESULT CFindDialog::OnTextChange(WORD, WORD, HWND, BOOL&) {
    UpdateControls();
    return 0;
}

LRESULT CFindDialog::OnButton(WORD, WORD id, HWND, BOOL& handled) {
    switch (id) {
    case IDOK:
        if (IsSearching())
            m_stop = true; // "&Stop"
        else
            StartSearch();
        return 0;
    case IDCANCEL:
        ShowWindow(SW_HIDE);
        ReadControls();
        StoreChoices();
        return 0;
    case IDC_FIND_BROWSE: {
        CBrowseForFolderDialog browse;
        lstrcpynA(browse.path, ControlText(m_hWnd, IDC_FIND_LOOK_IN).c_str(), MAX_PATH);
        if (browse.DoModal(::GetActiveWindow()) == IDOK)
            ::SetDlgItemTextA(m_hWnd, IDC_FIND_LOOK_IN, browse.path);
        UpdateControls();
        return 0;
    }
    case IDC_FIND_KEYWORD:
    case IDC_FIND_ARTIST:
    case IDC_FIND_NAME:
    case IDC_FIND_MATCH_CASE:
    case IDC_FIND_SUBFOLDERS:
        UpdateControls();
        return 0;
    default:
        handled = FALSE;
        return 0;
    }
}

void CFindDialog::StoreChoices() {
    CAppOptions& options = g_applicationState.Options();
    options.explorerFindDlgDefKeyword = m_checks[0] == BST_CHECKED;
    options.explorerFindDlgDefAuthor = m_checks[1] == BST_CHECKED;
    options.explorerFindDlgDefName = m_checks[2] == BST_CHECKED;
    options.explorerFindDlgDefMatchCase = m_checks[3] == BST_CHECKED;
    options.explorerFindDlgDefLookInSubfolders = m_checks[4] == BST_CHECKED;
}

void CFindDialog::StartSearch() {
    if (!ReadControls())
        return;
    const bool exists = !m_choices.lookIn.empty() && ::PathFileExistsA(m_choices.lookIn.c_str());
    if (!find_rules::CanStartSearch(m_choices, exists))
        return;
    WaitForSearchThread(); // an ended thread whose notice is still on its way
    ::SetDlgItemTextA(m_hWnd, IDOK, "&Stop");
    g_applicationState.ClearResultList(m_resultKey);
    if (m_tree && m_resultRoot)
        ::SendMessageA(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(m_resultRoot));

    auto job = std::make_unique<SearchJob>();
    job->choices = m_choices;
    job->resultKey = m_resultKey;
    job->stop = &m_stop;
    job->dialog = m_hWnd;
    m_stop = false;
    m_searching = true;
    m_thread = ::CreateThread(nullptr, 0, SearchThread, job.get(), CREATE_SUSPENDED, &m_threadId);
    if (!m_thread) {
        m_searching = false;
        m_threadId = 0;
        ::SetDlgItemTextA(m_hWnd, IDOK, "&Find");
        return;
    }
    job.release(); // the thread owns it now
    ::SetThreadPriority(m_thread, THREAD_PRIORITY_BELOW_NORMAL);
    ::ResumeThread(m_thread);
    ShowWindow(SW_HIDE);
}

LRESULT CFindDialog::OnSearchEnded(UINT, WPARAM hits, LPARAM threadId, BOOL&) {
    // The notice of a search that has been waited for already (and perhaps
    // replaced by a new one) says nothing about the running one.
    if (!m_thread || static_cast<DWORD>(threadId) != m_threadId)
        return 0;
    WaitForSearchThread();
    ::SetDlgItemTextA(m_hWnd, IDOK, "&Find");
    UpdateControls();
    if (hits == 0)
        ::MessageBoxA(m_hWnd, "No item found.", "Find", MB_OK | MB_ICONINFORMATION);
    return 0;
}

// The thread has posted its end or has been told to stop; it may still be
// sending a list change to a window of this thread, so sent messages are
// answered while it is waited for.
void CFindDialog::WaitForSearchThread() {
    if (!m_thread)
        return;
    for (;;) {
        const DWORD woke =
            ::MsgWaitForMultipleObjects(1, &m_thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0)
            break;
        if (woke != WAIT_OBJECT_0 + 1) {
            ::WaitForSingleObject(m_thread, INFINITE);
            break;
        }
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    ::CloseHandle(m_thread);
    m_thread = nullptr;
    m_threadId = 0;
    m_searching = false;
}

LRESULT CFindDialog::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    m_stop = true;
    WaitForSearchThread();
    if (m_filterAdded) {
        if (CMessageLoop* loop = g_module.GetMessageLoop())
            loop->RemoveMessageFilter(this);
        m_filterAdded = false;
    }
    handled = FALSE;
    return 0;
}

void CFindDialog::OnFinalMessage(HWND) {
    m_hWnd = nullptr;
    if (m_owner && ::IsWindow(m_owner))
        ::PostMessageA(m_owner, kMsgFindClosed, reinterpret_cast<WPARAM>(this), 0);
}
