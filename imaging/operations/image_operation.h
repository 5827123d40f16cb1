// Base of every pixel operation (colour adjustments, mode conversions, colour
// reduction, tone operations, flip, crop, resize, rotate).
//
// A caller constructs an operation, sets its public parameters, optionally a
// progress callback and a user value, and calls Apply(destination, source).
// Operations report success as a bool and show nothing; callers report.
//
// Conventions shared by all operations:
// - The destination and the source are two different images; Apply refuses a
//   null image or the same image twice (false, nothing written).
// - createDestination (default true): Apply re-creates the destination like
//   the source (CreateLike, which drops whatever bitmap it held), pushes the
//   palette and signals it ready. When false, the caller supplies a
//   destination that already has the source's width, height, depth and
//   palette count, and Apply writes into its existing bitmap: a window may be
//   drawing that bitmap, so it must never be freed (the adjustment previews
//   rely on this). A destination that does not match is refused (false,
//   nothing written). Operations that change the size or the depth (mode
//   conversions, resize, crop, rotate by 90 or 45 degrees, the quantiser)
//   always create their destination and ignore the flag.
// - cancel: set by another thread to stop a running Apply; tested between
//   rows by the operations that can be cancelled, which then return false
//   (the destination holds a partial result and is not marked complete).
// - progress: called with (userValue, first row, row count) after every
//   kProgressRows rows and once for the remainder; each operation documents
//   whether and how it calls it.
// - On success the destination's rows decoded equals its height and its
//   complete flag is set (FinishDestination).
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/platform_types.h"

class CImageObject;

// Progress of an operation: rows [firstRow, firstRow + rowCount) are done.
using ImageOperationProgress = void (*)(uintptr_t userValue, int firstRow, int rowCount);

class CImageOperation {
public:
    // Rows per progress call of the row-by-row operations.
    static constexpr int kProgressRows = 100;

    CImageOperation() = default;
    virtual ~CImageOperation() = default;
    CImageOperation(const CImageOperation&) = delete;
    CImageOperation& operator=(const CImageOperation&) = delete;

    virtual bool Apply(CImageObject* dest, CImageObject* src) = 0;

    ImageOperationProgress progress = nullptr;
    uintptr_t userValue = 0;
    bool createDestination = true;
    std::atomic<bool> cancel{false};

protected:
    bool IsCancelled() const { return cancel.load(std::memory_order_relaxed); }

    // Calls the progress callback, if any, with the operation's user value.
    void ReportProgress(int firstRow, int rowCount) const;

    // Calls the progress callback after row `row` (0-based) of `height` when
    // that row ends a block of kProgressRows rows or is the last row; the
    // first argument is `value`.
    void ReportRowDone(uintptr_t value, int row, int height) const;
    void ReportRowDone(int row, int height) const { ReportRowDone(userValue, row, height); }

    // Checks that dest and src are two distinct non-null images and src holds
    // a bitmap.
    static bool CheckPair(const CImageObject* dest, const CImageObject* src);

    // Readies a destination of the source's size and depth, honouring
    // createDestination: either re-create it like the source, push its
    // palette and signal it ready, or check that the caller's destination
    // matches the source and copy the source's palette into it (the bitmap
    // is kept); in both cases the palette is then pushed and the destination
    // signalled ready. False when creation fails or the destination does not
    // match.
    bool PrepareDestination(CImageObject* dest, const CImageObject* src) const;

    // Readies a destination of another size or depth: always re-created with
    // Create(width, height, bitsPerPixel, paletteCount); when palette is not
    // null it replaces the default palette and must hold the destination's
    // palette count entries (256 for an 8-bpp count of 0, 2 for 1 bpp). Then
    // the palette is pushed and the destination signalled ready.
    static bool CreateDestination(CImageObject* dest, int width, int height, int bitsPerPixel,
                                  int paletteCount, const PaletteEntry* palette);

    // Marks a successfully written destination: rows decoded = height,
    // complete flag set.
    static void FinishDestination(CImageObject* dest);
};
