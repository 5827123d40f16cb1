#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include <tiffio.h>

#include "imaging/byte_stream.h"
#include "imaging/codecs/tiff_codec.h"
#include "imaging/exif_parser.h"
#include "imaging/image_object.h"
#include "imaging/win32_file.h"

namespace {

// Largest single allocation libtiff may make for one file (strip buffers,
// tag arrays); hostile headers fail instead of exhausting memory.
constexpr tmsize_t kMaxLibraryAllocation = 256 * 1024 * 1024;

int Silent(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

// --- the file as libtiff sees it: read-only memory ---

struct MemoryFile {
    const uint8_t* data;
    uint64_t size;
    uint64_t position;
};

tmsize_t MemRead(thandle_t h, void* out, tmsize_t count) {
    MemoryFile* f = static_cast<MemoryFile*>(h);
    if (count <= 0 || f->position >= f->size) {
        return 0;
    }
    uint64_t n = static_cast<uint64_t>(count);
    if (n > f->size - f->position) {
        n = f->size - f->position;
    }
    std::memcpy(out, f->data + f->position, static_cast<size_t>(n));
    f->position += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t MemWrite(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t MemSeek(thandle_t h, toff_t offset, int whence) {
    MemoryFile* f = static_cast<MemoryFile*>(h);
    uint64_t base = whence == SEEK_CUR ? f->position : whence == SEEK_END ? f->size : 0;
    f->position = base + offset; // reads past the end return nothing
    return f->position;
}

int MemClose(thandle_t) {
    return 0;
}
toff_t MemSize(thandle_t h) {
    return static_cast<MemoryFile*>(h)->size;
}

int MemMap(thandle_t h, void** base, toff_t* size) {
    MemoryFile* f = static_cast<MemoryFile*>(h);
    *base = const_cast<uint8_t*>(f->data);
    *size = f->size;
    return 1;
}

void MemUnmap(thandle_t, void*, toff_t) {}

struct TiffHandle {
    TIFF* tif = nullptr;
    ~TiffHandle() {
        if (tif != nullptr) {
            TIFFClose(tif);
        }
    }
};

// The size the first directory declares, read straight from the bytes: the
// library chops a single strip into one per row as it opens the file, an
// allocation that follows the claimed height, so a lying size is refused
// before the library sees it. False when the directory cannot be found or
// does not name both; the library then judges the file as it is.
bool FirstDirectorySize(const uint8_t* data, uint64_t size, uint64_t* width, uint64_t* height) {
    if (size < 8 || !((data[0] == 'I' && data[1] == 'I') || (data[0] == 'M' && data[1] == 'M')))
        return false;
    const bool little = data[0] == 'I';
    auto load = [&](uint64_t at, uint32_t n, uint64_t* out) {
        if (at > size || n > size - at)
            return false;
        uint64_t v = 0;
        for (uint32_t i = 0; i < n; ++i)
            v |= static_cast<uint64_t>(data[at + (little ? i : n - 1 - i)]) << (8 * i);
        *out = v;
        return true;
    };
    uint64_t version = 0;
    load(2, 2, &version);
    const bool big = version == 43;
    if (!big && version != 42)
        return false;
    // Classic: 4-byte offsets, 2-byte entry count, 12-byte entries with a
    // 4-byte value field; BigTIFF: 8, 8, 20 and 8.
    const uint32_t offsetBytes = big ? 8 : 4, countBytes = big ? 8 : 2;
    const uint32_t entryBytes = big ? 20 : 12, valueAt = big ? 12 : 8;
    uint64_t ifd = 0, count = 0;
    if (!load(big ? 8 : 4, offsetBytes, &ifd) || !load(ifd, countBytes, &count))
        return false;
    bool haveWidth = false, haveHeight = false;
    for (uint64_t i = 0; i < count && !(haveWidth && haveHeight); ++i) {
        const uint64_t entry = ifd + countBytes + i * entryBytes;
        uint64_t tag = 0, type = 0, n = 0, value = 0;
        if (!load(entry, 2, &tag) || !load(entry + 2, 2, &type) ||
            !load(entry + 4, big ? 8 : 4, &n))
            return false;
        if ((tag != TIFFTAG_IMAGEWIDTH && tag != TIFFTAG_IMAGELENGTH) || n != 1)
            continue;
        const uint32_t bytes = type == TIFF_SHORT ? 2 : type == TIFF_LONG ? 4 : type == 16 ? 8 : 0;
        if (bytes == 0 || !load(entry + valueAt, bytes, &value))
            continue;
        if (tag == TIFFTAG_IMAGEWIDTH) {
            *width = value;
            haveWidth = true;
        } else {
            *height = value;
            haveHeight = true;
        }
    }
    return haveWidth && haveHeight;
}

// The tags of one directory that decide how it is read.
struct PageInfo {
    uint32_t width = 0, height = 0;
    uint16_t bps = 1, spp = 1, photometric = PHOTOMETRIC_MINISBLACK, planar = PLANARCONFIG_CONTIG;
    float xres = 0, yres = 0;
    bool tiled = false;
    int Bits() const { return bps * spp; }
};

PageInfo ReadPageInfo(TIFF* tif) {
    PageInfo p;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &p.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &p.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &p.bps);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &p.spp);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &p.planar);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &p.photometric);
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &p.xres);
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &p.yres);
    p.tiled = TIFFIsTiled(tif) != 0;
    return p;
}

enum class Layout { kBilevel, kIndexed, kRgb, kRgba };

Layout LayoutOf(const PageInfo& p) {
    const bool lines = !p.tiled && p.planar == PLANARCONFIG_CONTIG;
    const bool greyOrPalette = p.photometric == PHOTOMETRIC_MINISWHITE ||
                               p.photometric == PHOTOMETRIC_MINISBLACK ||
                               p.photometric == PHOTOMETRIC_PALETTE;
    if (lines && p.spp == 1 && greyOrPalette) {
        if (p.bps == 1 && p.photometric != PHOTOMETRIC_PALETTE) {
            return Layout::kBilevel;
        }
        if (p.bps == 1 || p.bps == 2 || p.bps == 4 || p.bps == 8) {
            return Layout::kIndexed;
        }
    }
    if (lines && p.photometric == PHOTOMETRIC_RGB && (p.spp == 3 || p.spp == 4) && p.bps == 8) {
        // Read as stored: the RGBA interface would premultiply an alpha sample.
        return Layout::kRgb;
    }
    return Layout::kRgba;
}

// Palette of a grey or palette page with `count` entries.
void SetIndexedPalette(TIFF* tif, const PageInfo& p, CImageObject* page) {
    const int32_t count = page->paletteCount;
    if (p.photometric == PHOTOMETRIC_PALETTE) {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) == 0 || red == nullptr) {
            return;
        }
        // The map holds 2^bps 16-bit values per channel. Old files of ours
        // stored 8-bit values (all at most 255): take those as they are.
        const int32_t mapped = 1 << p.bps;
        bool eightBit = true;
        for (int32_t i = 0; i < mapped; ++i) {
            eightBit = eightBit && red[i] <= 255 && green[i] <= 255 && blue[i] <= 255;
        }
        const int shift = eightBit ? 0 : 8;
        for (int32_t i = 0; i < count && i < mapped; ++i) {
            page->SetPaletteEntry(i, static_cast<uint8_t>(red[i] >> shift),
                                  static_cast<uint8_t>(green[i] >> shift),
                                  static_cast<uint8_t>(blue[i] >> shift), 0);
        }
        return;
    }
    const int32_t step = 255 / ((1 << p.bps) - 1);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t level = p.photometric == PHOTOMETRIC_MINISWHITE ? 255 - i * step : i * step;
        const uint8_t v = static_cast<uint8_t>(level < 0 ? 0 : level > 255 ? 255 : level);
        page->SetPaletteEntry(i, v, v, v, 0);
    }
}

} // namespace

bool CTiffReader::Read(const char* path, CImageObject* image) {
    return ReadMapped(path, image, [&](CByteStream& view) {
        return ReadFromMemory(view.buffer, view.size, image);
    });
}

bool CTiffReader::ReadFromMemory(const uint8_t* data, size_t size, CImageObject* image) {
    if (image == nullptr || data == nullptr || size < 8) {
        return false;
    }
    uint64_t claimedWidth = 0, claimedHeight = 0;
    if (FirstDirectorySize(data, size, &claimedWidth, &claimedHeight) &&
        !SizeAllowed(static_cast<int64_t>(std::min<uint64_t>(claimedWidth, INT64_MAX)),
                     static_cast<int64_t>(std::min<uint64_t>(claimedHeight, INT64_MAX)))) {
        image->fullWidth = static_cast<int32_t>(std::min<uint64_t>(claimedWidth, INT32_MAX));
        image->fullHeight = static_cast<int32_t>(std::min<uint64_t>(claimedHeight, INT32_MAX));
        return false;
    }
    MemoryFile file = {data, size, 0};
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) {
        return false;
    }
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxLibraryAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options, &Silent, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, &Silent, nullptr);
    TiffHandle handle;
    handle.tif = TIFFClientOpenExt("image", "r", &file, &MemRead, &MemWrite, &MemSeek, &MemClose,
                                   &MemSize, &MemMap, &MemUnmap, options);
    TIFFOpenOptionsFree(options);
    if (handle.tif == nullptr) {
        return false;
    }
    TIFF* tif = handle.tif;

    for (int32_t pageNumber = 1;; ++pageNumber) {
        if (pageNumber == 1) {
            const PageInfo first = ReadPageInfo(tif);
            image->fullWidth = static_cast<int32_t>(first.width);
            image->fullHeight = static_cast<int32_t>(first.height);
            if (!SizeAllowed(first.width, first.height)) {
                return false;
            }
            if (image->headerOnly) {
                return true;
            }
            if (StopRequested(image) || !ReadPage(tif, image)) {
                return false;
            }
            // The file's own tags, read as Exif data (offsets from the header).
            CByteStream whole;
            whole.AttachReadOnly(data, static_cast<uint32_t>(size));
            ReadExifFromTiffStream(image, &whole);
        } else {
            // A page that cannot be read ends the list; the pages before stay.
            std::unique_ptr<CImageObject> page(new (std::nothrow)
                                                   CImageObject(image->path, nullptr));
            if (!page || !ReadPage(tif, page.get())) {
                break;
            }
            page->SetComplete();
            if (!image->AddFrame(page.get())) {
                break;
            }
            page.release();
        }
        if ((m_pageLimit != -1 && m_pageLimit <= pageNumber) || StopRequested(image) ||
            TIFFReadDirectory(tif) == 0) {
            break;
        }
    }
    SignalComplete(image);
    return true;
}

bool CTiffReader::ReadPage(tiff* tif, CImageObject* page) {
    const PageInfo p = ReadPageInfo(tif);
    const Layout layout = LayoutOf(p);
    if (layout == Layout::kRgba) {
        return ReadThroughRgba(tif, page);
    }
    const bool faxStretch = layout == Layout::kBilevel && p.xres == 204.0f && p.yres == 98.0f;
    const uint64_t height = static_cast<uint64_t>(p.height) * (faxStretch ? 2 : 1);
    if (!SizeAllowed(p.width, static_cast<int64_t>(height))) {
        return false;
    }
    const int32_t depth = layout == Layout::kRgb       ? 8 * p.spp
                          : layout == Layout::kBilevel ? 1
                                                       : p.bps;
    if (!page->CreateWithDepth(static_cast<int32_t>(p.width), static_cast<int32_t>(height), depth,
                               0) ||
        page->bits == nullptr) {
        return false;
    }
    page->fullWidth = static_cast<int32_t>(p.width);
    page->fullHeight = static_cast<int32_t>(height);
    if (layout == Layout::kBilevel && p.photometric == PHOTOMETRIC_MINISWHITE) {
        page->SetPaletteEntry(0, 255, 255, 255, 255);
        page->SetPaletteEntry(1, 0, 0, 0, 255);
    } else if (layout == Layout::kIndexed) {
        SetIndexedPalette(tif, p, page);
    }
    page->UpdateColorTable();
    SignalHeaderReady(page);
    return ReadLines(tif, page, static_cast<int>(layout), faxStretch);
}

bool CTiffReader::ReadLines(tiff* tif, CImageObject* page, int layoutValue, bool faxStretch) {
    const Layout layout = static_cast<Layout>(layoutValue);
    const PageInfo p = ReadPageInfo(tif);
    const tmsize_t lineBytes = TIFFScanlineSize(tif);
    if (lineBytes <= 0) {
        return true; // nothing readable: the page stays as created
    }
    // Every line goes through one buffer of the library's line size, so the
    // library never writes beyond what it asked for.
    std::unique_ptr<uint8_t[]> line(new (std::nothrow) uint8_t[static_cast<size_t>(lineBytes)]);
    if (!line) {
        return false;
    }
    const size_t rowBytes = static_cast<size_t>(page->stride);
    for (uint32_t y = 0; y < p.height; ++y) {
        if (StopRequested(page)) {
            break;
        }
        const bool ok = TIFFReadScanline(tif, line.get(), y, 0) >= 0;
        if (!ok && layout != Layout::kRgb) {
            break; // a damaged line ends the page there
        }
        const int32_t target = static_cast<int32_t>(faxStretch ? 2 * y : y);
        uint8_t* row = page->GetRow(target, true);
        if (ok) {
            if (layout == Layout::kRgb) {
                const uint32_t n = p.spp;
                for (uint32_t x = 0; x < p.width; ++x) {
                    row[n * x] = line[n * x + 2];
                    row[n * x + 1] = line[n * x + 1];
                    row[n * x + 2] = line[n * x];
                    if (n == 4) {
                        row[4 * x + 3] = line[4 * x + 3];
                    }
                }
            } else if (layout == Layout::kIndexed && p.bps < 8) {
                const uint32_t perByte = 8u / p.bps;
                const uint32_t mask = (1u << p.bps) - 1;
                for (uint32_t x = 0; x < p.width; ++x) {
                    const uint32_t shift = 8 - p.bps * (x % perByte + 1);
                    row[x] = static_cast<uint8_t>((line[x / perByte] >> shift) & mask);
                }
            } else {
                const size_t n = static_cast<size_t>(lineBytes) < rowBytes
                                     ? static_cast<size_t>(lineBytes)
                                     : rowBytes;
                std::memcpy(row, line.get(), n);
            }
        }
        if (faxStretch) {
            std::memcpy(page->GetRow(target + 1, true), row, rowBytes);
            ReportRows(page, target, 2);
        } else {
            ReportRows(page, target, 1);
        }
    }
    return true;
}

bool CTiffReader::ReadThroughRgba(tiff* tif, CImageObject* page) {
    char message[1024] = {};
    if (TIFFRGBAImageOK(tif, message) == 0) {
        return false;
    }
    const PageInfo p = ReadPageInfo(tif);
    const uint64_t pixels = static_cast<uint64_t>(p.width) * p.height;
    if (!SizeAllowed(p.width, p.height) || pixels > kMaxImageBytes / 4) {
        return false;
    }
    TIFFRGBAImage rgba;
    std::memset(&rgba, 0, sizeof rgba);
    if (TIFFRGBAImageBegin(&rgba, tif, 0, message) == 0) {
        return false;
    }
    std::unique_ptr<uint32_t[]> raster(new (std::nothrow) uint32_t[static_cast<size_t>(pixels)]);
    const int32_t depth = p.Bits() > 24 ? 32 : 24;
    if (!raster ||
        !page->Create(static_cast<int32_t>(p.width), static_cast<int32_t>(p.height), depth, 0) ||
        page->bits == nullptr) {
        TIFFRGBAImageEnd(&rgba);
        return false;
    }
    std::memset(raster.get(), 0, static_cast<size_t>(pixels) * 4);
    page->UpdateColorTable();
    SignalHeaderReady(page);
    // A damaged page delivers what the library could decode.
    TIFFRGBAImageGet(&rgba, raster.get(), p.width, p.height);
    TIFFRGBAImageEnd(&rgba);
    // The raster's rows run bottom-up.
    const int step = depth / 8;
    for (uint32_t y = 0; y < p.height; ++y) {
        const uint32_t* in = raster.get() + static_cast<size_t>(p.height - 1 - y) * p.width;
        uint8_t* out = page->GetRow(static_cast<int32_t>(y), true);
        for (uint32_t x = 0; x < p.width; ++x, out += step) {
            out[0] = static_cast<uint8_t>(TIFFGetB(in[x]));
            out[1] = static_cast<uint8_t>(TIFFGetG(in[x]));
            out[2] = static_cast<uint8_t>(TIFFGetR(in[x]));
            if (step == 4) {
                out[3] = static_cast<uint8_t>(TIFFGetA(in[x]));
            }
        }
        ReportRows(page, static_cast<int32_t>(y), 1);
    }
    return true;
}
