// A TWAIN source manager with one built-in data source, "Stand-in Scanner",
// for tests on machines without scanners. It keeps the states of the
// standard and refuses every triplet that the present state does not allow
// (TWRC_FAILURE, TWCC_SEQERROR, logged as such), so a session that breaks
// the protocol shows it in the log.
//
// The test scripts the source with StandInScript("done,cancel,done,closereq"):
// one word per image - "done" a transferred image, "cancel" one the user
// cancelled, "fail" a failed transfer, "noinfo" an image whose information
// cannot be read - and "closereq" for a source that asks to be closed after
// its last image. StandInLog() gives every triplet received so far, one line
// each: "DG/DAT/MSG -> return code", the application's identity after
// MSG_OPENDSM and the user-interface request after MSG_ENABLEDS.
//
// Image n (from 1) is a 3 x 2 24-bit bitmap whose every pixel is
// (blue n*10, green n*20, red n*30).
//
// Copied beside a program as its TWAIN_32.DLL, it takes its script from the
// environment variable VXP_STAND_IN_TWAIN_SCRIPT when nothing scripted it,
// and appends its log to the file VXP_STAND_IN_TWAIN_LOG names, so a test
// can drive the running program and read the triplets afterwards.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "acquire/logic/twain_types.h"

namespace {

struct StandIn {
    int state = 2; // loaded
    std::vector<std::string> images;
    bool closeRequest = false;
    size_t next = 0; // the image the next transfer delivers
    bool transferReady = false;
    bool closeRequested = false;
    HWND parent = nullptr;
    TW_UINT16 condition = TWCC_SUCCESS;
    std::string log;
    TW_IDENTITY source{};
    UINT eventMessage = 0;
    bool scripted = false;
};

StandIn& The() {
    static StandIn standIn;
    return standIn;
}

void Line(const std::string& text) {
    The().log += text;
    The().log += '\n';
    char file[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA("VXP_STAND_IN_TWAIN_LOG", file, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    HANDLE log = ::CreateFileA(file, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_ALWAYS, 0, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return;
    const std::string line = text + "\n";
    DWORD written = 0;
    ::WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(log);
}

TW_UINT16 Fail(TW_UINT16 condition) {
    The().condition = condition;
    return TWRC_FAILURE;
}

TW_UINT16 SequenceError() {
    Line("SEQERROR");
    return Fail(TWCC_SEQERROR);
}

void FillSource(TW_IDENTITY* identity) {
    *identity = TW_IDENTITY{};
    identity->Id = 2;
    identity->Version.MajorNum = 1;
    identity->ProtocolMajor = 1;
    identity->ProtocolMinor = 9;
    identity->SupportedGroups = DG_CONTROL | DG_IMAGE;
    std::strcpy(identity->Manufacturer, "Stand-in");
    std::strcpy(identity->ProductFamily, "Stand-in");
    std::strcpy(identity->ProductName, "Stand-in Scanner");
}

void PostEvent() {
    ::PostMessageA(The().parent, The().eventMessage, 0, 0);
}

HGLOBAL MakeImage(int n) {
    const int width = 3, height = 2, stride = 12; // 9 bytes padded to 4
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = stride * height;
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof info + info.biSizeImage);
    auto* bytes = static_cast<unsigned char*>(::GlobalLock(memory));
    std::memcpy(bytes, &info, sizeof info);
    unsigned char* pixels = bytes + sizeof info;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = pixels + y * stride + x * 3;
            p[0] = static_cast<unsigned char>(n * 10);
            p[1] = static_cast<unsigned char>(n * 20);
            p[2] = static_cast<unsigned char>(n * 30);
        }
    ::GlobalUnlock(memory);
    return memory;
}

const std::string& Current() {
    static const std::string none;
    return The().next < The().images.size() ? The().images[The().next] : none;
}

TW_UINT16 Control(TW_IDENTITY* origin, TW_UINT16 data, TW_UINT16 message, TW_MEMREF value) {
    StandIn& s = The();
    switch (data) {
    case DAT_PARENT:
        if (message == MSG_OPENDSM) {
            if (s.state != 2 || !value)
                return SequenceError();
            s.parent = *static_cast<HWND*>(value);
            origin->Id = 1;
            char text[400];
            std::snprintf(text, sizeof text,
                          "app \"%s\" \"%s\" \"%s\" version %u.%u \"%s\" language %u country %u "
                          "protocol %u.%u groups %u",
                          origin->ProductName, origin->ProductFamily, origin->Manufacturer,
                          origin->Version.MajorNum, origin->Version.MinorNum, origin->Version.Info,
                          origin->Version.Language, origin->Version.Country, origin->ProtocolMajor,
                          origin->ProtocolMinor, static_cast<unsigned>(origin->SupportedGroups));
            Line(text);
            s.state = 3;
            return TWRC_SUCCESS;
        }
        if (message == MSG_CLOSEDSM) {
            if (s.state != 3)
                return SequenceError();
            s.state = 2;
            return TWRC_SUCCESS;
        }
        break;
    case DAT_IDENTITY:
        if (s.state < 3)
            return SequenceError();
        if (message == MSG_GETDEFAULT || message == MSG_USERSELECT || message == MSG_GETFIRST) {
            FillSource(static_cast<TW_IDENTITY*>(value));
            return TWRC_SUCCESS;
        }
        if (message == MSG_GETNEXT)
            return TWRC_ENDOFLIST;
        if (message == MSG_OPENDS) {
            auto* identity = static_cast<TW_IDENTITY*>(value);
            if (s.state != 3)
                return SequenceError();
            if (std::strcmp(identity->ProductName, "Stand-in Scanner") != 0)
                return Fail(TWCC_NODS);
            FillSource(identity);
            s.source = *identity;
            s.state = 4;
            return TWRC_SUCCESS;
        }
        if (message == MSG_CLOSEDS) {
            if (s.state != 4)
                return SequenceError();
            s.state = 3;
            return TWRC_SUCCESS;
        }
        break;
    case DAT_USERINTERFACE: {
        auto* ui = static_cast<TW_USERINTERFACE*>(value);
        if (message == MSG_ENABLEDS) {
            if (s.state != 4 || !ui)
                return SequenceError();
            char text[80];
            std::snprintf(text, sizeof text, "ShowUI %u parent %s", ui->ShowUI,
                          ui->hParent == s.parent ? "the manager's" : "another");
            Line(text);
            ui->ModalUI = 1;
            s.state = 5;
            s.next = 0;
            s.closeRequested = false;
            s.transferReady = !s.images.empty();
            PostEvent();
            return TWRC_SUCCESS;
        }
        if (message == MSG_DISABLEDS) {
            if (s.state != 5)
                return SequenceError();
            s.state = 4;
            return TWRC_SUCCESS;
        }
        break;
    }
    case DAT_EVENT: {
        if (message != MSG_PROCESSEVENT || s.state < 5)
            return SequenceError();
        auto* event = static_cast<TW_EVENT*>(value);
        const MSG* msg = static_cast<const MSG*>(event->pEvent);
        event->TWMessage = MSG_NULL;
        if (!msg || msg->message != s.eventMessage)
            return TWRC_NOTDSEVENT;
        if (s.transferReady && s.state == 5) {
            s.transferReady = false;
            s.state = 6;
            event->TWMessage = MSG_XFERREADY;
            return TWRC_DSEVENT;
        }
        if (s.closeRequested) {
            s.closeRequested = false;
            event->TWMessage = MSG_CLOSEDSREQ;
            return TWRC_DSEVENT;
        }
        return TWRC_DSEVENT;
    }
    case DAT_PENDINGXFERS: {
        auto* pending = static_cast<TW_PENDINGXFERS*>(value);
        if (message == MSG_ENDXFER) {
            if (s.state != 6 && s.state != 7)
                return SequenceError();
            ++s.next;
            const size_t left = s.images.size() - std::min(s.next, s.images.size());
            pending->Count = static_cast<TW_UINT16>(left);
            s.state = left > 0 ? 6 : 5;
            if (left == 0 && s.closeRequest) {
                s.closeRequested = true;
                PostEvent();
            }
            return TWRC_SUCCESS;
        }
        if (message == MSG_RESET) {
            if (s.state != 6)
                return SequenceError();
            pending->Count = 0;
            s.next = s.images.size();
            s.state = 5;
            return TWRC_SUCCESS;
        }
        break;
    }
    case DAT_STATUS: {
        auto* status = static_cast<TW_STATUS*>(value);
        status->ConditionCode = s.condition;
        s.condition = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }
    default:
        break;
    }
    return Fail(TWCC_BADVALUE);
}

TW_UINT16 Image(TW_UINT16 data, TW_UINT16 message, TW_MEMREF value) {
    StandIn& s = The();
    if (data == DAT_IMAGEINFO && message == MSG_GET) {
        if (s.state != 6)
            return SequenceError();
        if (Current() == "noinfo")
            return Fail(TWCC_BUMMER);
        auto* info = static_cast<TW_IMAGEINFO*>(value);
        *info = TW_IMAGEINFO{};
        info->ImageWidth = 3;
        info->ImageLength = 2;
        info->SamplesPerPixel = 3;
        info->BitsPerSample[0] = info->BitsPerSample[1] = info->BitsPerSample[2] = 8;
        info->BitsPerPixel = 24;
        info->PixelType = 2; // RGB
        return TWRC_SUCCESS;
    }
    if (data == DAT_IMAGENATIVEXFER && message == MSG_GET) {
        if (s.state != 6)
            return SequenceError();
        auto* handle = static_cast<TW_HANDLE*>(value);
        const std::string& kind = Current();
        if (kind == "fail")
            return Fail(TWCC_BUMMER);
        s.state = 7;
        if (kind == "cancel") {
            // What the variable holds after a cancel is undefined: a value
            // that is no handle at all shows a session that frees it.
            static char notAHandle[16];
            *handle = notAHandle;
            return TWRC_CANCEL;
        }
        *handle = MakeImage(static_cast<int>(s.next) + 1);
        return TWRC_XFERDONE;
    }
    return Fail(TWCC_BADVALUE);
}

const char* Code(TW_UINT16 code) {
    static const char* names[] = {"TWRC_SUCCESS",  "TWRC_FAILURE",  "TWRC_CHECKSTATUS",
                                  "TWRC_CANCEL",   "TWRC_DSEVENT",  "TWRC_NOTDSEVENT",
                                  "TWRC_XFERDONE", "TWRC_ENDOFLIST"};
    return code < 8 ? names[code] : "?";
}

} // namespace

extern "C" __declspec(dllexport) void WINAPI StandInScript(const char* script) {
    StandIn& s = The();
    s = StandIn{};
    s.eventMessage = ::RegisterWindowMessageA("StandInTwainEvent");
    s.scripted = true;
    std::stringstream words(script ? script : "");
    std::string word;
    while (std::getline(words, word, ',')) {
        if (word == "closereq")
            s.closeRequest = true;
        else if (!word.empty())
            s.images.push_back(word);
    }
}

extern "C" __declspec(dllexport) const char* WINAPI StandInLog() {
    return The().log.c_str();
}

extern "C" __declspec(dllexport) TW_UINT16 WINAPI
    DSM_Entry(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 data,
              TW_UINT16 message, TW_MEMREF value) {
    StandIn& s = The();
    if (!s.scripted) {
        char script[256];
        const DWORD length =
            ::GetEnvironmentVariableA("VXP_STAND_IN_TWAIN_SCRIPT", script, sizeof script);
        StandInScript(length && length < sizeof script ? script : "");
    }
    TW_UINT16 code;
    if (!origin)
        code = Fail(TWCC_BADVALUE);
    else if (group == DG_CONTROL && data != DAT_PARENT && data != DAT_IDENTITY &&
             data != DAT_STATUS && (!destination || destination->Id != s.source.Id))
        code = Fail(TWCC_BADDEST); // a source triplet must name the open source
    else if (group == DG_CONTROL)
        code = Control(origin, data, message, value);
    else if (group == DG_IMAGE)
        code = (!destination || destination->Id != s.source.Id) ? Fail(TWCC_BADDEST)
                                                                : Image(data, message, value);
    else
        code = Fail(TWCC_BADVALUE);
    // Every triplet but the event traffic and the status reads goes in the
    // log; events that carried nothing for the source are too many to list.
    const bool quiet = (data == DAT_EVENT && code == TWRC_NOTDSEVENT) || data == DAT_STATUS;
    if (!quiet) {
        char text[160];
        std::snprintf(text, sizeof text, "%s/%s/%s -> %s", TwainGroupName(group),
                      TwainDataName(data), TwainMessageName(message), Code(code));
        if (data == DAT_EVENT) {
            const TW_UINT16 asked = static_cast<TW_EVENT*>(value)->TWMessage;
            std::snprintf(text + std::strlen(text), sizeof text - std::strlen(text), " %s",
                          TwainMessageName(asked));
        }
        Line(text);
    }
    return code;
}
