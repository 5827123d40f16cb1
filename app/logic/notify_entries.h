// The entries of a directory-change buffer as ReadDirectoryChangesW fills
// it: records of { u32 offset of the next record (0 for the last), u32
// action, u32 name length in bytes, UTF-16 name }, each starting on a 4-byte
// boundary under Windows and on a 2-byte one under Wine.
//
// The buffer comes from the system, but its fields are not trusted: the walk
// stays inside the byte count the read returned, stops at a record that
// runs past it or points backwards, and skips names longer than the
// caller's buffers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

enum : uint32_t {
    kNotifyAdded = 1,
    kNotifyRemoved = 2,
    kNotifyModified = 3,
    kNotifyRenamedOld = 4,
    kNotifyRenamedNew = 5,
};

using NotifyEntryFn = std::function<void(uint32_t action, const uint16_t* name, uint32_t chars)>;

// Calls `use` for each sound record, in order, and returns how many were
// handed over. A byte count of 0 (the system's buffer overflowed and the
// changes were lost) hands over nothing.
int ForEachNotifyEntry(const uint8_t* buffer, uint32_t bytes, uint32_t maxNameChars,
                       const NotifyEntryFn& use);

// Pairs the two halves of a rename. The system completes a read as soon as a
// notice is queued, so the old half can end one batch and the new half begin
// the next: the old half is kept across batches until its new half comes.
// A rename is announced only when both halves name the same folder (a move
// between folders comes as a removal and an addition).
class CRenamePairing {
public:
    void Old(const std::string& folder, const std::string& name) {
        m_folder = folder;
        m_name = name;
    }
    // The old name of the rename that `folder`'s new half completes, or
    // false when there is none to pair with. Either way the old half is used.
    bool New(const std::string& folder, std::string* oldName);
    // After lost notices (an overflow) an old half pairs with nothing.
    void Forget() { m_name.clear(); }

private:
    std::string m_folder;
    std::string m_name;
};
