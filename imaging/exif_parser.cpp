// TIFF-structured metadata parser.
//
// Layout of the data, as read here (all offsets count from the first header
// byte; multi-byte values in the header's byte order):
//   0  2 bytes  "II" (little-endian) or "MM" (big-endian)
//   2  u16      42
//   4  u32      offset of IFD0; 0 = none
// An IFD is a u16 entry count, that many 12-byte entries, then the u32 offset
// of the next IFD in the chain (0 ends it). IFD0 and the thumbnail's IFD1 form
// the chain, so a tag present in both ends with IFD1's value. An entry is
//   u16 tag, u16 type (not consulted), u32 count, 4-byte value field
// where the value field holds the value itself when it fits (a SHORT in its
// first two bytes, a text of at most 4 bytes) and an offset otherwise.
// Tag 34665 names the Exif sub-IFD and tag 40965 the Interoperability sub-IFD;
// each is read once, after the chain, with the same entry handling.
//
// Hostile data is bounded: the chain is cut after kMaxChainIfds IFDs, an IFD
// offset already read (chain or sub-IFD) is never read again, an IFD offset
// outside the data ends the walk at once, and a text is never longer than the
// bytes that follow its offset (its count is not trusted for the allocation).
#include "imaging/exif_parser.h"

#include <cstdint>

#include "imaging/byte_stream.h"
#include "imaging/exif_info.h"
#include "imaging/image_object.h"

namespace {

constexpr int kMaxChainIfds = 16;
constexpr int kMaxVisitedIfds = kMaxChainIfds + 2;

enum : uint16_t {
    kTagCompression = 259,
    kTagOrientation = 274,
    kTagResolutionUnit = 296,
    kTagExposureProgram = 34850,
    kTagMeteringMode = 37383,
    kTagLightSource = 37384,
    kTagFlash = 37385,
    kTagColorSpace = 40961,
    kTagSensingMethod = 41495,
    kTagXResolution = 282,
    kTagYResolution = 283,
    kTagExposureTime = 33434,
    kTagFNumber = 33437,
    kTagShutterSpeed = 37377,
    kTagAperture = 37378,
    kTagBrightness = 37379,
    kTagExposureBias = 37380,
    kTagMaxAperture = 37381,
    kTagSubjectDistance = 37382,
    kTagFocalLength = 37386,
    kTagFlashEnergy = 41483,
    kTagExposureIndex = 41493,
    kTagExifIfd = 34665,
    kTagInteropIfd = 40965,
};

struct TextTag {
    uint16_t tag;
    EExifText which;
};

const TextTag kTextTags[] = {
    {271, kExifMake},
    {272, kExifModel},
    {305, kExifSoftware},
    {315, kExifArtist},
    {33432, kExifCopyright},
    {270, kExifImageDescription},
    {306, kExifDateTime},
    {36867, kExifDateTimeOriginal},
    {36868, kExifDateTimeDigitized},
    {37520, kExifSubSecTime},
    {37521, kExifSubSecTimeOriginal},
    {37522, kExifSubSecTimeDigitized},
    {34852, kExifSpectralSensitivity},
};

class CTiffMetadataParser {
public:
    CTiffMetadataParser(CByteStream* stream, CExifInfo* exif)
        : stream_(stream), exif_(exif), base_(stream->position) {}

    void Run(uint32_t firstIfd) {
        uint32_t next = firstIfd;
        for (int n = 0; next != 0 && n < kMaxChainIfds; ++n) {
            if (!ReadIfd(next, &next)) {
                break;
            }
        }
        if (exifIfd_ != 0) {
            ReadIfd(exifIfd_, nullptr);
        }
        // The Interoperability IFD holds none of the stored tags; it is walked
        // for completeness and under the same guards.
        if (interopIfd_ != 0) {
            ReadIfd(interopIfd_, nullptr);
        }
    }

private:
    // Bytes of data from the header on.
    uint64_t DataSize() const { return stream_->size > base_ ? stream_->size - base_ : 0; }

    // Moves to an offset inside the data; false (position kept) when outside.
    bool SeekTo(uint64_t offset) {
        if (offset >= DataSize()) {
            return false;
        }
        return stream_->Seek(static_cast<int64_t>(base_ + offset), 0);
    }

    bool AlreadyVisited(uint32_t offset) {
        for (int i = 0; i < visitedCount_; ++i) {
            if (visited_[i] == offset) {
                return true;
            }
        }
        if (visitedCount_ == kMaxVisitedIfds) {
            return true;
        }
        visited_[visitedCount_++] = offset;
        return false;
    }

    // Reads one IFD; with next given, also the offset of the following IFD.
    bool ReadIfd(uint32_t offset, uint32_t* next) {
        if (AlreadyVisited(offset) || !SeekTo(offset)) {
            return false;
        }
        const uint32_t count = stream_->ReadUInt16();
        uint64_t entry = static_cast<uint64_t>(offset) + 2;
        for (uint32_t i = 0; i < count; ++i, entry += 12) {
            if (entry >= DataSize()) {
                break; // the rest would read as zeros: tag 0, ignored
            }
            ReadEntry(entry);
        }
        if (next != nullptr) {
            *next = 0;
            if (SeekTo(entry)) {
                *next = stream_->ReadUInt32();
            }
        }
        return true;
    }

    void ReadEntry(uint64_t entry) {
        SeekTo(entry);
        const uint16_t tag = stream_->ReadUInt16();
        stream_->ReadUInt16(); // type
        const uint32_t count = stream_->ReadUInt32();
        const uint32_t valuePos = stream_->position;
        const uint32_t value = stream_->ReadUInt32();
        // The first two bytes of the value field in the header's byte order.
        stream_->Seek(valuePos, 0);
        const uint16_t shortValue = stream_->ReadUInt16();

        switch (tag) {
        case kTagCompression:
            exif_->compression = shortValue;
            return;
        case kTagOrientation:
            exif_->orientation = shortValue;
            return;
        case kTagResolutionUnit:
            exif_->resolutionUnit = shortValue;
            return;
        case kTagExposureProgram:
            exif_->exposureProgram = shortValue;
            return;
        case kTagMeteringMode:
            exif_->meteringMode = shortValue;
            return;
        case kTagLightSource:
            exif_->lightSource = shortValue;
            return;
        case kTagFlash:
            exif_->flash = shortValue;
            return;
        case kTagColorSpace:
            exif_->colorSpace = shortValue;
            return;
        case kTagSensingMethod:
            exif_->sensingMethod = shortValue;
            return;
        case kTagXResolution:
            ReadRational(value, &exif_->xResolution);
            return;
        case kTagYResolution:
            ReadRational(value, &exif_->yResolution);
            return;
        case kTagExposureTime:
            ReadRational(value, &exif_->exposureTime);
            return;
        case kTagFNumber:
            ReadRational(value, &exif_->fNumber);
            return;
        case kTagShutterSpeed:
            ReadRational(value, &exif_->shutterSpeed);
            return;
        case kTagAperture:
            ReadRational(value, &exif_->aperture);
            return;
        case kTagBrightness:
            ReadRational(value, &exif_->brightness);
            return;
        case kTagExposureBias:
            ReadRational(value, &exif_->exposureBias);
            return;
        case kTagMaxAperture:
            ReadRational(value, &exif_->maxAperture);
            return;
        case kTagSubjectDistance:
            ReadRational(value, &exif_->subjectDistance);
            return;
        case kTagFocalLength:
            ReadRational(value, &exif_->focalLength);
            return;
        case kTagFlashEnergy:
            ReadRational(value, &exif_->flashEnergy);
            return;
        case kTagExposureIndex:
            ReadRational(value, &exif_->exposureIndex);
            return;
        case kTagExifIfd:
            exifIfd_ = value;
            return;
        case kTagInteropIfd:
            interopIfd_ = value;
            return;
        default:
            break;
        }
        for (const TextTag& text : kTextTags) {
            if (text.tag == tag) {
                ReadText(text.which, count, valuePos - base_, value);
                return;
            }
        }
    }

    // A rational stored wholly inside the data; anything else stores nothing.
    void ReadRational(uint32_t offset, ExifRational* out) {
        if (static_cast<uint64_t>(offset) + 8 > DataSize() || !SeekTo(offset)) {
            return;
        }
        out->numerator = stream_->ReadUInt32();
        out->denominator = stream_->ReadUInt32();
    }

    // A text of count bytes, in the value field itself when it fits there.
    // It ends at its first zero byte or after count bytes, and never reaches
    // past the end of the data.
    void ReadText(EExifText which, uint32_t count, uint64_t valueFieldOffset, uint32_t offset) {
        const uint64_t start = count <= 4 ? valueFieldOffset : offset;
        if (start >= DataSize() && count > 0) {
            return;
        }
        uint64_t length = count;
        if (length > DataSize() - start) {
            length = DataSize() - start;
        }
        const char* text = reinterpret_cast<const char*>(stream_->buffer + base_ + start);
        exif_->SetText(which, text, static_cast<size_t>(length));
    }

    CByteStream* stream_;
    CExifInfo* exif_;
    uint32_t base_;
    uint32_t exifIfd_ = 0;
    uint32_t interopIfd_ = 0;
    uint32_t visited_[kMaxVisitedIfds] = {};
    int visitedCount_ = 0;
};

} // namespace

bool ReadExifFromTiffStream(CImageObject* image, CByteStream* stream) {
    if (image == nullptr || stream == nullptr || stream->buffer == nullptr) {
        return false;
    }
    const uint32_t start = stream->position;
    const uint8_t first = stream->ReadUInt8();
    const uint8_t second = stream->ReadUInt8();
    if (first == 'I' && second == 'I') {
        stream->bigEndian = 0;
    } else if (first == 'M' && second == 'M') {
        stream->bigEndian = 1;
    } else {
        return false;
    }
    if (stream->ReadUInt16() != 42) {
        return false;
    }
    image->EnsureExif();
    CExifInfo* exif = image->exif;
    if (exif == nullptr) {
        return false;
    }
    const uint32_t firstIfd = stream->ReadUInt32();
    stream->Seek(start, 0);
    CTiffMetadataParser parser(stream, exif);
    parser.Run(firstIfd);

    ExifRational& exposure = exif->exposureTime;
    if (exposure.numerator % 10 == 0 && exposure.denominator % 10 == 0) {
        exposure.numerator /= 10;
        exposure.denominator /= 10;
    }
    return true;
}
