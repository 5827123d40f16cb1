#include "explorer/logic/clipboard_blocks.h"

#include <cstring>

namespace {

void PutUint32(ClipboardBlock* block, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        (*block)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Bytes of the strings with their zeros and the final zero.
size_t ListBytes(const std::vector<std::string>& strings) {
    size_t bytes = 1;
    for (const std::string& s : strings)
        bytes += s.size() + 1;
    return bytes;
}

// A zero-filled block of the traditional size, or of the size the header
// and the strings need when that is more.
ClipboardBlock MakeBlock(size_t header, size_t traditional, size_t needed) {
    return ClipboardBlock(header + (needed > traditional ? needed : traditional), 0);
}

// Copies the strings, each with its zero, from at; the block is zero-filled,
// so the final zero is already there.
void PutList(ClipboardBlock* block, size_t at, const std::vector<std::string>& strings) {
    for (const std::string& s : strings) {
        if (!s.empty())
            std::memcpy(block->data() + at, s.data(), s.size());
        at += s.size() + 1;
    }
}

} // namespace

ClipboardBlock BuildFileDropBlock(const std::vector<std::string>& paths) {
    ClipboardBlock block =
        MakeBlock(kDropFilesHeaderSize, static_cast<size_t>(kClipboardPathRoom) * paths.size(),
                  ListBytes(paths));
    PutUint32(&block, 0, kDropFilesHeaderSize); // pFiles; the point, fNC and fWide stay 0
    PutList(&block, kDropFilesHeaderSize, paths);
    return block;
}

ClipboardBlock BuildFavoritesBlock(uint32_t folderId, const std::vector<std::string>& paths) {
    constexpr size_t kHeader = 8;
    ClipboardBlock block = MakeBlock(
        kHeader, static_cast<size_t>(kClipboardPathRoom) * paths.size(), ListBytes(paths));
    PutUint32(&block, 0, folderId);
    PutUint32(&block, 4, static_cast<uint32_t>(paths.size()));
    PutList(&block, kHeader, paths);
    return block;
}

ClipboardBlock BuildZipItemsBlock(const std::string& archivePath,
                                  const std::vector<std::string>& entryPaths) {
    std::vector<std::string> strings;
    strings.reserve(entryPaths.size() + 1);
    strings.push_back(archivePath);
    strings.insert(strings.end(), entryPaths.begin(), entryPaths.end());
    ClipboardBlock block =
        MakeBlock(0, static_cast<size_t>(kClipboardPathRoom) * strings.size(), ListBytes(strings));
    PutList(&block, 0, strings);
    return block;
}

std::string JoinArchiveEntryPath(const std::string& innerFolder, const std::string& name) {
    if (innerFolder.empty())
        return name;
    if (innerFolder.back() == '\\')
        return innerFolder + name;
    return innerFolder + "\\" + name;
}

ClipboardBlock BuildPreferredDropEffectBlock(bool copy) {
    ClipboardBlock block(4, 0);
    PutUint32(&block, 0, copy ? 1u : 2u);
    return block;
}

std::vector<std::string> ReadZeroSeparatedList(const uint8_t* data, size_t size) {
    std::vector<std::string> strings;
    size_t at = 0;
    while (at < size && data[at] != 0) {
        const void* end = std::memchr(data + at, 0, size - at);
        if (!end)
            break;
        const size_t length = static_cast<const uint8_t*>(end) - (data + at);
        strings.emplace_back(reinterpret_cast<const char*>(data + at), length);
        at += length + 1;
    }
    return strings;
}
