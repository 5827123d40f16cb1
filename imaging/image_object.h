// The one in-memory form of an image: a top-down device-independent bitmap
// with its palette, the frames of an animation, an enhanced metafile for the
// vector formats, a shared EXIF record, and the state of its decoding (an
// image is drawn while another thread is still decoding it).
//
// Pixel layout: row r starts at bits + r * stride; stride is the row length
// rounded up to 4 bytes. 1 bpp holds 8 pixels per byte, most significant bit
// first; 8 bpp holds palette indexes; 24 bpp is blue, green, red; 32 bpp is
// blue, green, red and a fourth byte that colour operations copy unchanged.
// Frame 0 is the image itself; frame i (1..FrameCount()) is frames[i - 1].
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "imaging/image_file_types.h"

class CExifInfo;

// Largest stride x height a bitmap may have (2^31 - 1 bytes).
constexpr uint64_t kMaxImageBytes = 0x7FFFFFFFu;

// Process-wide cap on width x height that Create accepts, below the byte
// limit above; 0 (the default) means no extra cap. Fuzzers and tests set a
// small one so that hostile headers cannot ask for huge bitmaps.
void SetImagePixelLimit(uint64_t maxPixels);
uint64_t GetImagePixelLimit();

class CImageObject {
public:
    CImageObject();
    // Copies the path (cut to 259 characters) and adds a reference to exif.
    CImageObject(const char* path, CExifInfo* exif);
    // Same defaults but not-loaded 0, then CopyFrom(other).
    CImageObject(const CImageObject& other);
    CImageObject& operator=(const CImageObject&) = delete;
    virtual ~CImageObject();

    // Plain (not atomic) count; the image cache's lock guards it where
    // references cross threads. Release deletes the image at the last one and
    // returns the new count.
    void AddRef() { ++refCount; }
    int32_t Release();

    // --- bitmap creation and destruction ---

    // Makes the bitmap: bits per pixel 1, 8, 24 or 32; for 8 bpp the palette
    // count is 2..256 (0 means 256); 1 bpp always has 2 entries. Refuses a
    // width or height <= 0 and sizes above the limits. An image that already
    // holds a bitmap is destroyed first.
    bool Create(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t paletteCount);
    // Allocates the DIB section for the current width, height, depth and
    // palette.
    bool CreateDibSection();
    // From a file's bit count: 1 -> 1 bpp; 2..8 (and 0) -> 8 bpp with colours
    // entries, or 2^bitCount when colours is 0; 9..24 -> 24 bpp; more -> 32 bpp.
    bool CreateWithDepth(int32_t width, int32_t height, int32_t bitCount, int32_t colors);
    // Same size, depth and palette as source.
    bool CreateLike(const CImageObject* source);
    // Back to empty: frees the bitmap, palette and frames, drops the EXIF
    // reference, resets the ready event and the header-ready flag, clears the
    // file time. Keeps path, file size, metafile, count, modified flag and the
    // other decoding flags.
    void Destroy();
    // Destroy, then a copy of source's pixels, palette and state (shares its
    // EXIF record). Path, file size, frames, metafile and modified flag are not
    // copied. False (image left empty) when the bitmap cannot be made.
    bool CopyFrom(const CImageObject* source);

    // --- palette ---

    // Pushes the palette into the DIB's colour table (1 and 8 bpp).
    bool UpdateColorTable();
    // Copies this image's palette count entries from source (1 and 8 bpp);
    // copies no more entries than source has.
    void CopyPalette(const CImageObject* source);
    void SetPaletteEntry(int32_t index, uint8_t red, uint8_t green, uint8_t blue, uint8_t reserved);
    // First entry equal in all four bytes; -1 when none.
    int32_t FindPaletteEntry(PaletteEntry colour) const;
    // 8 bpp, 256 entries, entry i = (i, i, i) (reserved not compared).
    bool IsGrayscalePalette() const;
    // Palette lookup that takes an index at or above the count as the last
    // entry; a black entry when there is no palette.
    PaletteEntry PaletteAt(uint32_t index) const;

    // --- pixels and frames ---

    // Start of storage row `row` (counted from the top when topDownOrder,
    // from the bottom otherwise). Null when row is outside the bitmap.
    uint8_t* GetRow(int32_t row, bool topDownOrder) const;
    CImageObject* GetFrame(int32_t index);
    int32_t FrameCount() const { return static_cast<int32_t>(frames.size()); }
    // Appends a frame and takes ownership of it; false (frame not taken) when
    // the list cannot grow.
    bool AddFrame(CImageObject* frame);
    // 8 bpp: colour must be in the palette; 24 bpp: blue, green, red; 32 bpp:
    // all four bytes.
    bool Fill(PaletteEntry colour);
    bool CopyRect(int32_t destX, int32_t destY, int32_t width, int32_t height,
                  const CImageObject* source, int32_t sourceX, int32_t sourceY);
    // As CopyRect, skipping transparent source pixels: 8 bpp by index
    // (transparentIndex, or when -1 the source entry equal to colour with
    // reserved 255: false when there is none); 24/32 bpp by blue, green, red.
    bool CopyRectTransparent(int32_t destX, int32_t destY, int32_t width, int32_t height,
                             const CImageObject* source, int32_t sourceX, int32_t sourceY,
                             PaletteEntry colour, int32_t transparentIndex);

    // --- decoding state (under lock) ---

    void SignalReady(); // header-ready := 1 and the ready event is set
    void SetComplete(); // complete := 1
    void Invalidate();  // not-loaded := 1
    bool IsFullyLoaded() const;
    // The image was edited: modified := 1, and the recorded file time and
    // size become 0 so the image no longer passes for the unchanged file.
    void SetModified();

    // --- metafile, EXIF, type ---

    bool AllocMetafileHeader();
    // Creates an empty EXIF record when there is none (true); false and no
    // change when there is one.
    bool EnsureExif();
    EImageFileType GetFileType() const;
    const char* GetFileTypeName() const;

    // --- fields (readers, operations and windows use them directly) ---

    plat::CriticalSection lock;           // guards the decoding flags when changed below
    plat::FileTimeValue fileTime;         // last-write time of the source file; 0 = none
    int32_t width;                        // bitmap width in pixels
    int32_t height;                       // bitmap height in pixels
    bool headerOnly;                      // request to a reader: only fill fullWidth/fullHeight
    int32_t fullWidth;                    // width in the file (larger after a reduced decode)
    int32_t fullHeight;                   // height in the file
    int32_t bitsPerPixel;                 // 1, 8, 24 or 32; 0 while empty
    int32_t stride;                       // bytes per row, a multiple of 4
    int32_t paletteCount;                 // 2 (1 bpp), 2..256 (8 bpp), 0 otherwise
    PaletteEntry* palette;                // paletteCount entries; owned; null when none
    uint8_t* bits;                        // row 0 inside the DIB section; not owned
    int32_t refCount;                     // starts at 1; plain increments
    plat::BitmapHandle bitmap;            // the DIB section (HBITMAP on Windows); owned
    plat::DibInfo* bitmapInfo;            // header and colour table describing it; owned
    bool modified;                        // edited since read or saved
    char path[plat::kMaxPath];            // full path of the source file
    uint32_t fileSize;                    // size of the source file in bytes
    int32_t frameDelay;                   // ms to show this frame when animated; 0 = none
    std::vector<CImageObject*> frames;    // frames 1..n of a multi-frame image; owned
    plat::MetafileHandle metafile;        // EMF/WMF content (HENHMETAFILE); owned
    plat::MetafileHeader* metafileHeader; // copy of the ENHMETAHEADER; owned
    CExifInfo* exif;                      // one reference held; null when none
    plat::Event readyEvent;               // manual reset; set once the bitmap exists
    std::atomic<int32_t> rowsDecoded;     // pixel rows filled so far
    std::atomic<bool> headerReady;        // bitmap and palette exist and may be drawn
    std::atomic<bool> complete;           // decoding has ended
    std::atomic<bool> releaseAfterDecode; // last holder let go while decoding
    bool topDown;                         // rows arrive top row first (default 1)
    bool animated;                        // two or more frames (GIF)
    std::atomic<bool> notLoaded;          // 1 until a decode has finished
    uintptr_t decodeThread;               // HANDLE of the decoding thread; not closed here

private:
    void InitFields();
    bool MakeDefaultPalette();
};

// Fits an image size into a box without enlarging; returns the scale and
// sets the box to the fitted size (each side at least 1). An image side <= 0
// returns 0.0 with the box 0 x 0.
double FitSizeIntoBox(int32_t imageWidth, int32_t imageHeight, int32_t* boxWidth,
                      int32_t* boxHeight);

// 1-bpp source to an 8-bpp destination with pixel values 0 and 1 (palette
// entries 0 and 1 from the source, the rest a grey ramp).
bool ExpandBitmapTo8(CImageObject* destination, const CImageObject* source);
// 1-bpp or 8-bpp source to a 24-bpp destination through the source palette;
// an index at or above the palette count takes the last entry.
bool ExpandBitmapTo24(CImageObject* destination, const CImageObject* source);
bool ExpandIndexedTo24(CImageObject* destination, const CImageObject* source);

// Draws the image's metafile into a new 24-bpp bitmap of the given size over
// the background colour (blue, green, red). Windows only; natively false.
bool RenderMetafileToImage(int32_t width, int32_t height, PaletteEntry background,
                           CImageObject* image);
