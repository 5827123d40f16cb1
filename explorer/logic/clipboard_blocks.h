// The blocks the thumbnail list puts on the clipboard and into a drag, as
// the bytes of their global memory: the file drop list (CF_HDROP, narrow
// paths), the favorites items ("FavoritesClipboardFormat"), the zip archive
// items ("ZipClipboardFormat") and "Preferred DropEffect". Integers are
// little-endian, strings are narrow and zero-terminated, and each list ends
// with one more zero byte.
//
// Each block keeps the traditional room of 260 bytes per item (and per
// header string), zero-filled, which readers of these formats may rely on;
// when the strings need more than that (paths of 259 characters leave no
// room for the final zero) the block is exactly as long as they need, so no
// byte is ever written past it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using ClipboardBlock = std::vector<uint8_t>;

// Size of the DROPFILES header: pFiles, pt.x, pt.y, fNC, fWide, 4 bytes each.
constexpr uint32_t kDropFilesHeaderSize = 20;
// Room per string in the traditional block sizes.
constexpr uint32_t kClipboardPathRoom = 260;

// DROPFILES {pFiles 20, point (0, 0), fNC 0, fWide 0}, then each path with
// its zero, then a final zero.
ClipboardBlock BuildFileDropBlock(const std::vector<std::string>& paths);

// uint32 the favorites folder id, uint32 the number of paths, then each path
// with its zero, then a final zero.
ClipboardBlock BuildFavoritesBlock(uint32_t folderId, const std::vector<std::string>& paths);

// The archive's path with its zero, then each entry path (the folder inside
// the archive joined with the item's name) with its zero, then a final zero.
ClipboardBlock BuildZipItemsBlock(const std::string& archivePath,
                                  const std::vector<std::string>& entryPaths);

// The entry path of an item of an archive folder: the inner folder ("" for
// the archive's root) joined with the name by one backslash.
std::string JoinArchiveEntryPath(const std::string& innerFolder, const std::string& name);

// The 4-byte DWORD of "Preferred DropEffect": DROPEFFECT_COPY (1) for a
// copy, DROPEFFECT_MOVE (2) for a cut.
ClipboardBlock BuildPreferredDropEffectBlock(bool copy);

// The strings of a zero-separated list that ends with an empty string,
// read from at most size bytes: what a reader of these blocks gets back. A
// list that runs off the end of the block ends there (its last string is
// dropped), so a lying block never makes a reader pass its end.
std::vector<std::string> ReadZeroSeparatedList(const uint8_t* data, size_t size);
