// Memory of a costly per-colour mapping (one that goes through HLS): the
// results for recently met colours are kept in a direct-mapped table, so
// that runs of equal pixels and the colours that recur across a flat area of
// a photograph are converted once each. A colour maps to the same result
// whether it is remembered or not; only the time differs.
#pragma once

#include <cstdint>
#include <memory>
#include <new>

template <class Fn> class CColorMemo {
public:
    // log2 of the number of remembered colours: 16384 slots of 8 bytes stay
    // in the second-level cache.
    static constexpr int kSlotBits = 14;

    explicit CColorMemo(Fn fn) : fn_(fn), slots_(new (std::nothrow) Slot[kSlotCount]) {
        if (slots_) {
            for (uint32_t i = 0; i < kSlotCount; ++i)
                slots_[i].key = kEmpty;
        }
    }

    // fn(out, in) on blue, green, red bytes; without its table (allocation
    // failed) every colour is simply converted.
    void operator()(uint8_t* out, const uint8_t* in) {
        if (!slots_) {
            fn_(out, in);
            return;
        }
        const uint32_t key = in[0] | (in[1] << 8) | (static_cast<uint32_t>(in[2]) << 16);
        // Fibonacci hashing: the top bits of the product mix all three
        // channels.
        Slot& slot = slots_[(key * 2654435761u) >> (32 - kSlotBits)];
        if (slot.key != key) {
            fn_(slot.out, in);
            slot.key = key;
        }
        out[0] = slot.out[0];
        out[1] = slot.out[1];
        out[2] = slot.out[2];
    }

private:
    static constexpr uint32_t kSlotCount = uint32_t(1) << kSlotBits;
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu; // no 24-bit colour has this key

    struct Slot {
        uint32_t key;
        uint8_t out[4]; // blue, green, red; the fourth byte pads the slot
    };

    Fn fn_;
    std::unique_ptr<Slot[]> slots_;
};

template <class Fn> CColorMemo<Fn> MemoizeColors(Fn fn) {
    return CColorMemo<Fn>(fn);
}
