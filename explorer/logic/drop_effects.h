// The effect rules of the drop targets: the base rule of every target of the
// program and the thumbnail list's own. Keys and effects use the system's
// values (MK_SHIFT 4, MK_CONTROL 8; DROPEFFECT_COPY 1, MOVE 2, LINK 4).
#pragma once

#include <cstdint>

enum : uint32_t {
    kDropKeyShift = 0x4,
    kDropKeyControl = 0x8,
    kDropEffectNone = 0,
    kDropEffectCopy = 1,
    kDropEffectMove = 2,
    kDropEffectLink = 4,
};

// Ctrl+Shift link, Ctrl copy, otherwise move; 0 when nothing was accepted or
// the allowed effects lack the one asked for.
uint32_t ChooseBaseDropEffect(bool accepted, uint32_t keys, uint32_t allowed);

// The thumbnail list: Ctrl+Shift link, Ctrl copy, Shift move, each only when
// allowed; with no modifier move, else copy, else link, whichever is allowed.
uint32_t ChooseListDropEffect(bool accepted, uint32_t keys, uint32_t allowed);
