// A Simple MAPI provider for the tests: Wine's MAPI32.DLL hands MAPISendMail
// to the provider named under HKLM\Software\Clients\Mail, and this one writes
// what it was given to the file named by VXP_FAKEMAPI_LOG, one line for the
// call and one per attachment. Attachment sizes and BMP dimensions are read
// during the call, since the sender may delete its copies right after it.
// It answers with the code in VXP_FAKEMAPI_RESULT (default SUCCESS_SUCCESS).
#include <windows.h>

#include <mapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const char* Text(const char* s) {
    return s ? s : "(null)";
}

// Width and height of a BMP file; 0 x 0 for anything else.
void BmpSize(const char* path, long* width, long* height) {
    *width = *height = 0;
    FILE* f = path ? std::fopen(path, "rb") : nullptr;
    if (!f)
        return;
    unsigned char header[26] = {};
    if (std::fread(header, 1, sizeof(header), f) == sizeof(header) && header[0] == 'B' &&
        header[1] == 'M') {
        auto le32 = [&](int at) {
            return (long)(int32_t)(header[at] | header[at + 1] << 8 | header[at + 2] << 16 |
                                   (uint32_t)header[at + 3] << 24);
        };
        *width = le32(18);
        *height = labs(le32(22));
    }
    std::fclose(f);
}

long FileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!path || !GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return -1;
    return (long)data.nFileSizeLow;
}

} // namespace

extern "C" ULONG WINAPI MAPISendMail(LHANDLE session, ULONG_PTR uiParam, lpMapiMessage message,
                                     FLAGS flags, ULONG reserved) {
    char logPath[MAX_PATH] = "";
    if (GetEnvironmentVariableA("VXP_FAKEMAPI_LOG", logPath, sizeof(logPath)) == 0)
        return MAPI_E_FAILURE;
    FILE* log = std::fopen(logPath, "a");
    if (!log)
        return MAPI_E_FAILURE;
    std::fprintf(log,
                 "call session=%lu ui=%lu flags=0x%lx reserved=%lu subject=[%s] note=[%s] "
                 "recipients=%lu files=%lu\n",
                 (unsigned long)session, (unsigned long)uiParam, (unsigned long)flags,
                 (unsigned long)reserved, message ? Text(message->lpszSubject) : "",
                 message ? Text(message->lpszNoteText) : "",
                 message ? (unsigned long)message->nRecipCount : 0UL,
                 message ? (unsigned long)message->nFileCount : 0UL);
    for (ULONG i = 0; message && message->lpFiles && i < message->nFileCount; ++i) {
        const MapiFileDesc& a = message->lpFiles[i];
        long width, height;
        BmpSize(a.lpszPathName, &width, &height);
        std::fprintf(log,
                     "file reserved=%lu flags=0x%lx position=%ld name=[%s] type=%s size=%ld "
                     "dims=%ldx%ld path=%s\n",
                     (unsigned long)a.ulReserved, (unsigned long)a.flFlags, (long)a.nPosition,
                     Text(a.lpszFileName), a.lpFileType ? "set" : "(null)",
                     FileSize(a.lpszPathName), width, height, Text(a.lpszPathName));
    }
    std::fclose(log);
    char result[32] = "";
    if (GetEnvironmentVariableA("VXP_FAKEMAPI_RESULT", result, sizeof(result)) > 0)
        return (ULONG)std::strtoul(result, nullptr, 10);
    return SUCCESS_SUCCESS;
}
