#include "app/logic/notify_entries.h"

#include <cstring>
#include <vector>

namespace {
constexpr uint32_t kHeaderBytes = 12;

// Folder names compare without regard to ASCII case, as the file system does.
bool FoldersMatch(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

uint32_t LoadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
} // namespace

int ForEachNotifyEntry(const uint8_t* buffer, uint32_t bytes, uint32_t maxNameChars,
                       const NotifyEntryFn& use) {
    if (!buffer || bytes < kHeaderBytes)
        return 0;
    int handed = 0;
    uint32_t at = 0;
    std::vector<uint16_t> name;
    for (;;) {
        if (bytes - at < kHeaderBytes)
            break;
        const uint8_t* record = buffer + at;
        const uint32_t next = LoadU32(record);
        const uint32_t action = LoadU32(record + 4);
        const uint32_t nameBytes = LoadU32(record + 8);
        const uint32_t room = bytes - at - kHeaderBytes;
        if (nameBytes > room || (next != 0 && next < kHeaderBytes + nameBytes))
            break;
        const uint32_t chars = nameBytes / 2;
        if (chars > 0 && chars <= maxNameChars) {
            name.resize(chars);
            std::memcpy(name.data(), record + kHeaderBytes, chars * 2);
            use(action, name.data(), chars);
            ++handed;
        }
        // Records are read byte by byte, so their alignment does not matter:
        // Windows starts them on 4-byte boundaries, Wine on 2-byte ones. An
        // odd offset cannot follow a UTF-16 name.
        if (next == 0 || next > bytes - at || (next & 1) != 0)
            break;
        at += next;
    }
    return handed;
}

bool CRenamePairing::New(const std::string& folder, std::string* oldName) {
    const bool paired = !m_name.empty() && FoldersMatch(m_folder, folder);
    if (paired && oldName)
        *oldName = m_name;
    m_name.clear();
    return paired;
}
