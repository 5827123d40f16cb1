#include "explorer/logic/drop_effects.h"

#include <initializer_list>

uint32_t ChooseBaseDropEffect(bool accepted, uint32_t keys, uint32_t allowed) {
    if (!accepted)
        return kDropEffectNone;
    const bool ctrl = (keys & kDropKeyControl) != 0;
    const bool shift = (keys & kDropKeyShift) != 0;
    const uint32_t asked = ctrl && shift ? kDropEffectLink
                           : ctrl        ? kDropEffectCopy
                                         : kDropEffectMove;
    return (allowed & asked) ? asked : kDropEffectNone;
}

uint32_t ChooseListDropEffect(bool accepted, uint32_t keys, uint32_t allowed) {
    if (!accepted)
        return kDropEffectNone;
    const bool ctrl = (keys & kDropKeyControl) != 0;
    const bool shift = (keys & kDropKeyShift) != 0;
    if (ctrl || shift) {
        const uint32_t asked = ctrl && shift ? kDropEffectLink
                               : ctrl        ? kDropEffectCopy
                                             : kDropEffectMove;
        return (allowed & asked) ? asked : kDropEffectNone;
    }
    for (uint32_t effect : {kDropEffectMove, kDropEffectCopy, kDropEffectLink})
        if (allowed & effect)
            return effect;
    return kDropEffectNone;
}
