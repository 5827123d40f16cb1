// The context-menu handler the shell creates for a selection of files or a
// folder: it keeps the selected image and folder paths, adds its items to
// the menu and starts the program with the chosen command.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstddef>

#include "shellext/dovrexa_ids.h"
#include "shellext/menu_plan.h"

namespace dovrexa {

// The selected paths, each a heap copy; grows by doubling from two.
class CPathList {
public:
    CPathList() = default;
    CPathList(const CPathList&) = delete;
    CPathList& operator=(const CPathList&) = delete;
    ~CPathList();

    bool Append(const char* path);
    size_t Count() const { return count_; }
    const char* operator[](size_t i) const { return items_[i]; }

private:
    char** items_ = nullptr;
    size_t count_ = 0;
    size_t capacity_ = 0;
};

// Reads the five switches from the user's ContextMenu key (created when
// missing); a value counts only as a 4-byte REG_DWORD. When the key can be
// neither opened nor made, `switches` keeps what it held.
void LoadContextMenuSettings(MenuSwitches& switches);

class CDovrexaShEx final : public IDovrexaShEx, public IShellExtInit, public IContextMenu {
public:
    CDovrexaShEx();
    ~CDovrexaShEx();
    CDovrexaShEx(const CDovrexaShEx&) = delete;
    CDovrexaShEx& operator=(const CDovrexaShEx&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, served from the library's type information.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY progIdKey) override;

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId,
                                  UINT flags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    STDMETHODIMP GetCommandString(UINT_PTR command, UINT flags, UINT* reserved, CHAR* name,
                                  UINT size) override;

private:
    HRESULT LoadTypeInfo();

    LONG refs_ = 1;
    CPathList paths_;
    ITypeInfo* typeInfo_ = nullptr;
};

} // namespace dovrexa
