#include "acquire/twain_session.h"

#include <cstring>
#include <string>

namespace {

std::string& LibraryName() {
    static std::string name = "TWAIN_32.DLL";
    return name;
}

void CopyText(TW_STR32& field, const char* text) {
    std::strncpy(field, text, sizeof field - 1);
    field[sizeof field - 1] = '\0';
}

} // namespace

void CTwainSession::SetSourceManagerLibrary(const char* name) {
    LibraryName() = name;
}

CTwainSession::CTwainSession(HWND parent, ImageHandler handler) {
    if (parent && handler)
        LoadSourceManager(parent, std::move(handler));
}

CTwainSession::~CTwainSession() {
    if (m_library) {
        CloseSourceManager();
        ::FreeLibrary(m_library);
        m_library = nullptr;
        m_entry = nullptr;
    }
}

void CTwainSession::FillAppIdentity() {
    m_app = TW_IDENTITY{};
    m_app.Id = 0;
    m_app.Version.MajorNum = 5;
    m_app.Version.MinorNum = 5;
    m_app.Version.Language = 13;
    m_app.Version.Country = 1;
    CopyText(m_app.Version.Info, "5.5");
    m_app.ProtocolMajor = 1;
    m_app.ProtocolMinor = 9;
    m_app.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyText(m_app.Manufacturer, "Velmorantix");
    CopyText(m_app.ProductFamily, "Velmorantix XP");
    CopyText(m_app.ProductName, "Velmorantix XP");
}

bool CTwainSession::CallSourceManager(TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 data,
                                      TW_UINT16 message, TW_MEMREF value) {
    if (!m_entry) {
        m_returnCode = TWRC_FAILURE;
        return false;
    }
    m_returnCode = m_entry(&m_app, destination, group, data, message, value);
    if (m_returnCode != TWRC_SUCCESS) {
        // The condition belongs to this failure: read it before anything
        // else is asked.
        m_status = TW_STATUS{};
        m_entry(&m_app, destination, DG_CONTROL, DAT_STATUS, MSG_GET, &m_status);
    }
    return m_returnCode == TWRC_SUCCESS;
}

bool CTwainSession::LoadSourceManager(HWND parent, ImageHandler handler) {
    m_handler = std::move(handler);
    if (m_library)
        return m_managerOpen;
    m_app = TW_IDENTITY{};
    m_parent = parent;
    m_library = ::LoadLibraryA(LibraryName().c_str());
    if (!m_library)
        return false;
    m_entry = reinterpret_cast<EntryPoint>(
        reinterpret_cast<void*>(::GetProcAddress(m_library, MAKEINTRESOURCEA(1))));
    if (!m_entry) {
        ::FreeLibrary(m_library);
        m_library = nullptr;
        return false;
    }
    FillAppIdentity();
    HWND window = m_parent;
    m_managerOpen = CallSourceManager(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window);
    return m_managerOpen;
}

bool CTwainSession::GetDefaultSource() {
    m_sourceSelected =
        CallSourceManager(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &m_source);
    return m_sourceSelected;
}

bool CTwainSession::SelectSource() {
    if (!m_managerOpen)
        return false;
    m_source = TW_IDENTITY{};
    if (!m_sourceSelected)
        GetDefaultSource();
    if (CallSourceManager(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &m_source))
        m_sourceSelected = true;
    return m_sourceSelected;
}

bool CTwainSession::OpenSource(const TW_IDENTITY* source) {
    if (source)
        m_source = *source;
    if (m_managerOpen) {
        if (!m_sourceSelected)
            GetDefaultSource();
        m_sourceOpen = CallSourceManager(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &m_source);
    }
    return m_managerOpen && m_sourceOpen;
}

bool CTwainSession::EnableSource(bool showUserInterface) {
    if (!m_managerOpen || !m_sourceOpen || m_sourceEnabled)
        return false;
    TW_USERINTERFACE ui{};
    ui.ShowUI = showUserInterface ? 1 : 0;
    ui.hParent = m_parent;
    if (CallSourceManager(&m_source, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui)) {
        m_sourceEnabled = true;
        m_modalUserInterface = ui.ModalUI == 1;
        return true;
    }
    m_sourceEnabled = false;
    m_modalUserInterface = true;
    return false;
}

bool CTwainSession::Acquire() {
    if (!m_managerOpen || !m_sourceOpen)
        OpenSource(nullptr);
    return EnableSource(true);
}

bool CTwainSession::ProcessEvent(MSG* message) {
    if (!m_sourceEnabled || !message)
        return false;
    TW_EVENT event{};
    event.pEvent = message;
    event.TWMessage = MSG_NULL;
    CallSourceManager(&m_source, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
    if (m_returnCode == TWRC_NOTDSEVENT)
        return false;
    switch (event.TWMessage) {
    case MSG_XFERREADY:
        TransferImages();
        break;
    case MSG_CLOSEDSREQ:
        if (CanCloseSource())
            CloseSource();
        break;
    default:
        break;
    }
    return false;
}

void CTwainSession::TransferImages() {
    bool pending = true;
    while (pending && m_sourceEnabled) {
        TW_IMAGEINFO info{};
        if (!CallSourceManager(&m_source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info)) {
            // Asking again would only get the same answer while the source
            // waits in the transfer state: give the pending images up.
            ResetPending();
            break;
        }
        pending = TransferNative(info);
    }
}

void CTwainSession::ResetPending() {
    TW_PENDINGXFERS pendingTransfers{};
    CallSourceManager(&m_source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pendingTransfers);
}

bool CTwainSession::TransferNative(const TW_IMAGEINFO& info) {
    TW_HANDLE handle = nullptr;
    CallSourceManager(&m_source, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
    const TW_UINT16 code = m_returnCode;
    if (code == TWRC_FAILURE) {
        ResetPending();
        return false;
    }
    // Only a finished transfer hands over a handle; after a cancel what
    // the variable holds is not ours to free.
    if (code == TWRC_XFERDONE && handle) {
        if (m_handler)
            m_handler(static_cast<HGLOBAL>(handle), info);
        ::GlobalFree(static_cast<HGLOBAL>(handle));
    }
    TW_PENDINGXFERS pendingTransfers{};
    return CallSourceManager(&m_source, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER,
                             &pendingTransfers) &&
           pendingTransfers.Count != 0;
}

bool CTwainSession::DisableSource() {
    if (!m_sourceEnabled)
        return false;
    TW_USERINTERFACE ui{};
    ui.hParent = m_parent;
    if (CallSourceManager(&m_source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui))
        m_sourceEnabled = false;
    return !m_sourceEnabled;
}

bool CTwainSession::CloseSource() {
    if (!m_managerOpen || !m_sourceOpen)
        return false;
    DisableSource();
    CallSourceManager(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_source);
    m_sourceOpen = false;
    return true;
}

bool CTwainSession::CloseSourceManager() {
    if (!m_managerOpen)
        return false;
    CloseSource();
    HWND window = m_parent;
    CallSourceManager(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window);
    m_managerOpen = false;
    return true;
}

TW_UINT16 CTwainSession::GetTransferMode(const TW_IMAGEINFO&) {
    return TWSX_NATIVE;
}

bool CTwainSession::CanCloseSource() {
    return true;
}
