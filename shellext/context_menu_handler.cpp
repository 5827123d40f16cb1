#include "shellext/context_menu_handler.h"

#include <shlwapi.h>

#include <cstring>
#include <new>
#include <string>

#include "shellext/module.h"

namespace dovrexa {

CPathList::~CPathList() {
    for (size_t i = 0; i < count_; ++i)
        delete[] items_[i];
    delete[] items_;
}

bool CPathList::Append(const char* path) {
    if (count_ == capacity_) {
        const size_t grown = capacity_ ? capacity_ * 2 : 2;
        if (grown < capacity_ || grown > size_t(-1) / sizeof(char*))
            return false;
        char** items = new (std::nothrow) char*[grown];
        if (!items)
            return false;
        for (size_t i = 0; i < count_; ++i)
            items[i] = items_[i];
        delete[] items_;
        items_ = items;
        capacity_ = grown;
    }
    const size_t length = std::strlen(path);
    char* copy = new (std::nothrow) char[length + 1];
    if (!copy)
        return false;
    std::memcpy(copy, path, length + 1);
    items_[count_++] = copy;
    return true;
}

void LoadContextMenuSettings(MenuSwitches& switches) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kContextMenuKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    auto read = [key](const char* name) {
        DWORD type = 0, value = 0, size = sizeof(value);
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
                ERROR_SUCCESS &&
            type == REG_DWORD && size == sizeof(value))
            return value != 0;
        return true;
    };
    switches.browse = read("DisplayBrowse");
    switches.inSubmenu = read("ImageContextMenuItemsInSubfolder");
    switches.view = read("DisplayView");
    switches.print = read("DisplayPrint");
    switches.email = read("DisplayEmail");
    RegCloseKey(key);
}

namespace {

bool IsImagePath(const char* path) {
    return IsImageFileExtension(PathFindExtensionA(path));
}

// The program file: "InstallPath" of the program's machine key plus the
// executable's name; false when the value is missing or the result too long.
bool FindProgramFile(char* program) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = MAX_PATH;
    const LONG rc = RegQueryValueExA(key, "InstallPath", nullptr, &type,
                                     reinterpret_cast<BYTE*>(program), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
        return false;
    program[size < MAX_PATH ? size : MAX_PATH - 1] = '\0';
    return program[0] && PathAppendA(program, kProgramFile);
}

// A blank and the path, in double quotes when it holds a blank, as the
// program splits its arguments. Quoted here rather than in a MAX_PATH buffer
// so that a long spaced name is never passed unquoted.
void AppendArgument(std::string& line, const char* path) {
    line += ' ';
    if (std::strchr(path, ' ')) {
        line += '"';
        line += path;
        line += '"';
    } else {
        line += path;
    }
}

} // namespace

CDovrexaShEx::CDovrexaShEx() {
    LockModule();
}

CDovrexaShEx::~CDovrexaShEx() {
    if (typeInfo_)
        typeInfo_->Release();
    UnlockModule();
}

STDMETHODIMP CDovrexaShEx::QueryInterface(REFIID riid, void** out) {
    if (!out)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, kIidDovrexaShEx))
        *out = static_cast<IDovrexaShEx*>(this);
    else if (IsEqualIID(riid, IID_IShellExtInit))
        *out = static_cast<IShellExtInit*>(this);
    else if (IsEqualIID(riid, IID_IContextMenu))
        *out = static_cast<IContextMenu*>(this);
    else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CDovrexaShEx::AddRef() {
    return ULONG(InterlockedIncrement(&refs_));
}

STDMETHODIMP_(ULONG) CDovrexaShEx::Release() {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0)
        delete this;
    return ULONG(left);
}

HRESULT CDovrexaShEx::LoadTypeInfo() {
    if (typeInfo_)
        return S_OK;
    ITypeLib* typeLib = nullptr;
    HRESULT hr = LoadModuleTypeLib(&typeLib);
    if (FAILED(hr))
        return hr;
    hr = typeLib->GetTypeInfoOfGuid(kIidDovrexaShEx, &typeInfo_);
    typeLib->Release();
    return hr;
}

STDMETHODIMP CDovrexaShEx::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP CDovrexaShEx::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    const HRESULT hr = LoadTypeInfo();
    if (FAILED(hr))
        return hr;
    typeInfo_->AddRef();
    *info = typeInfo_;
    return S_OK;
}

STDMETHODIMP CDovrexaShEx::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    const HRESULT hr = LoadTypeInfo();
    if (FAILED(hr))
        return hr;
    return DispGetIDsOfNames(typeInfo_, names, count, ids);
}

STDMETHODIMP CDovrexaShEx::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                  VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    const HRESULT hr = LoadTypeInfo();
    if (FAILED(hr))
        return hr;
    return DispInvoke(static_cast<IDovrexaShEx*>(this), typeInfo_, id, flags, params, result,
                      exception, argError);
}

STDMETHODIMP CDovrexaShEx::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) {
    if (!data)
        return E_INVALIDARG;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium)))
        return E_INVALIDARG;
    if (medium.tymed != TYMED_HGLOBAL || !GlobalLock(medium.hGlobal)) {
        ReleaseStgMedium(&medium);
        return E_INVALIDARG;
    }
    HDROP drop = static_cast<HDROP>(medium.hGlobal);
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // A name that does not fit would be cut short and name another file.
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        if (length == 0 || length >= MAX_PATH)
            continue;
        char name[MAX_PATH];
        if (DragQueryFileA(drop, i, name, MAX_PATH) != length)
            continue;
        if (IsImagePath(name) || PathIsDirectoryA(name))
            paths_.Append(name);
    }
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return paths_.Count() ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CDovrexaShEx::QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT,
                                            UINT flags) {
    if (flags & CMF_DEFAULTONLY)
        return S_OK;
    if (!paths_.Count())
        return E_INVALIDARG;
    LoadContextMenuSettings(g_switches);

    const MenuPlan plan = PlanContextMenu(PathIsDirectoryA(paths_[0]) != FALSE, g_switches);
    HMENU target = menu;
    UINT position = index;
    if (plan.submenu) {
        target = CreatePopupMenu();
        position = 0;
    }
    if (target) {
        for (UINT i = 0; i < plan.count; ++i, ++position) {
            InsertMenuA(target, position, MF_BYPOSITION | MF_STRING, firstId + i,
                        MenuItemText(plan.items[i], plan.submenu));
            SetMenuItemBitmaps(target, position, MF_BYPOSITION, g_menuBitmap, nullptr);
        }
        if (plan.submenu) {
            InsertMenuA(menu, index, MF_BYPOSITION | MF_STRING | MF_POPUP,
                        reinterpret_cast<UINT_PTR>(target), kSubmenuText);
            SetMenuItemBitmaps(menu, index, MF_BYPOSITION, g_menuBitmap, nullptr);
        }
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, kReservedCommandIds);
}

STDMETHODIMP CDovrexaShEx::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    if (!info)
        return E_INVALIDARG;
    // A verb given as a string is not one of our ids, whatever its pointer's
    // low word happens to be.
    const ULONG_PTR verb = reinterpret_cast<ULONG_PTR>(info->lpVerb);
    if (HIWORD(verb) != 0)
        return E_INVALIDARG;
    if (!paths_.Count())
        return E_INVALIDARG;
    char program[MAX_PATH];
    if (!FindProgramFile(program))
        return E_INVALIDARG;
    const unsigned command = LOWORD(verb);
    if (command >= kReservedCommandIds)
        return E_INVALIDARG;

    std::string line;
    if (PathIsDirectoryA(paths_[0])) {
        if (command != 0)
            return E_INVALIDARG;
        AppendArgument(line, paths_[0]);
    } else {
        const MenuCommand chosen = CommandForOffset(false, g_switches, command);
        if (chosen == MenuCommand::None)
            return E_INVALIDARG;
        try {
            line.reserve(paths_.Count() <= (kCommandLineLimit - 10) / 262
                             ? paths_.Count() * 262 + 10
                             : kCommandLineLimit);
            line = CommandLineSwitch(chosen);
            for (size_t i = 0; i < paths_.Count(); ++i) {
                if (!IsImagePath(paths_[i]) || PathIsDirectoryA(paths_[i]))
                    continue;
                // The system refuses longer command lines, and would start
                // nothing at all: pass the images that fit, whole.
                const size_t need =
                    1 + std::strlen(paths_[i]) + (std::strchr(paths_[i], ' ') ? 2 : 0);
                if (line.size() + need >= kCommandLineLimit)
                    break;
                AppendArgument(line, paths_[i]);
            }
        } catch (const std::bad_alloc&) {
            return E_INVALIDARG;
        }
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program, &line[0], nullptr, nullptr, FALSE, CREATE_BREAKAWAY_FROM_JOB,
                        nullptr, nullptr, &startup, &process))
        return E_INVALIDARG;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return S_OK;
}

STDMETHODIMP CDovrexaShEx::GetCommandString(UINT_PTR command, UINT flags, UINT*, CHAR* name,
                                            UINT size) {
    if (!(flags & GCS_HELPTEXTA) || !name || size == 0 || !paths_.Count())
        return E_INVALIDARG;
    const char* text =
        HelpText(PathIsDirectoryA(paths_[0]) != FALSE, g_switches, unsigned(command));
    if (flags & GCS_UNICODE) {
        wchar_t wide[MAX_PATH];
        if (!MultiByteToWideChar(CP_ACP, 0, text, -1, wide, MAX_PATH))
            wide[0] = L'\0';
        lstrcpynW(reinterpret_cast<LPWSTR>(name), wide, int(size));
    } else {
        lstrcpynA(name, text, int(size));
    }
    return S_OK;
}

} // namespace dovrexa
