// A TWAIN session: the source manager, one data source and the native
// transfer of its images, protocol 1.9.
//
// The explorer owns one session for its life and passes it every window
// message while a source is enabled; each image arrives at the handler as a
// global handle of a packed device-independent bitmap:
//
//   CTwainSession twain(frame, [](HGLOBAL dib, const TW_IMAGEINFO&) { Save(dib); });
//   twain.Acquire();                 // opens the source, shows its user interface
//   ... in the message filter: twain.ProcessEvent(&msg);
//
// Without a source manager every operation does nothing and returns false.
// States as the standard numbers them: 2 loaded, 3 manager open, 4 source
// open, 5 source enabled, 6 and 7 inside the transfer loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "acquire/logic/twain_types.h"

class CTwainSession {
public:
    using ImageHandler = std::function<void(HGLOBAL dib, const TW_IMAGEINFO& info)>;
    using EntryPoint = TW_UINT16(WINAPI*)(TW_IDENTITY* origin, TW_IDENTITY* destination,
                                          TW_UINT32 group, TW_UINT16 data, TW_UINT16 message,
                                          TW_MEMREF value);

    CTwainSession() = default;
    // Loads the source manager at once when both are given.
    CTwainSession(HWND parent, ImageHandler handler);
    virtual ~CTwainSession();
    CTwainSession(const CTwainSession&) = delete;
    CTwainSession& operator=(const CTwainSession&) = delete;

    virtual void FillAppIdentity();
    // The manager's selection dialog; true while a source is selected.
    virtual bool SelectSource();
    // Opens the given source, or the selected or default one when none.
    virtual bool OpenSource(const TW_IDENTITY* source = nullptr);
    virtual TW_UINT16 GetTransferMode(const TW_IMAGEINFO& info);
    virtual bool DisableSource();
    // Asked before closing the source on its own request.
    virtual bool CanCloseSource();

    bool LoadSourceManager(HWND parent, ImageHandler handler);
    bool GetDefaultSource();
    bool EnableSource(bool showUserInterface);
    bool Acquire();
    // Hands the message to the enabled source and reacts to what it asks
    // for. Always false: the caller dispatches the message as usual.
    bool ProcessEvent(MSG* message);
    bool CloseSource();
    bool CloseSourceManager();

    bool IsLoaded() const { return m_entry != nullptr; }
    bool IsManagerOpen() const { return m_managerOpen; }
    bool IsSourceOpen() const { return m_sourceOpen; }
    bool IsSourceEnabled() const { return m_sourceEnabled; }
    TW_UINT16 LastReturnCode() const { return m_returnCode; }
    TW_UINT16 LastCondition() const { return m_status.ConditionCode; }
    const TW_IDENTITY& AppIdentity() const { return m_app; }
    const TW_IDENTITY& SourceIdentity() const { return m_source; }

    // The library loaded as the source manager: "TWAIN_32.DLL" unless a
    // test puts a stand-in in its place (before the session loads).
    static void SetSourceManagerLibrary(const char* name);

protected:
    bool CallSourceManager(TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 data,
                           TW_UINT16 message, TW_MEMREF value);

private:
    void TransferImages();
    // Returns whether more transfers are pending.
    bool TransferNative(const TW_IMAGEINFO& info);
    void ResetPending();

    HMODULE m_library = nullptr;
    EntryPoint m_entry = nullptr;
    TW_IDENTITY m_app{};
    TW_IDENTITY m_source{};
    HWND m_parent = nullptr;
    bool m_sourceSelected = false;
    bool m_managerOpen = false;
    bool m_sourceOpen = false;
    bool m_sourceEnabled = false;
    bool m_modalUserInterface = true;
    TW_UINT16 m_returnCode = TWRC_SUCCESS;
    TW_STATUS m_status{};
    ImageHandler m_handler;
};
