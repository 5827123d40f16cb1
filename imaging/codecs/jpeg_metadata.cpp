// Which segments are kept, and the form of the raw blocks.
//
// APP1 block: the whole data of the first APP1 segment that begins with the
// six bytes "Exif\0\0" (at most 65533 bytes). Other APP1 segments (XMP and the
// like) are not kept: the record has one APP1 block, and it is the Exif one.
//
// APP2 block: the ICC profile, the only APP2 content that stays true when the
// pixels are re-encoded (multi-picture and FlashPix segments hold offsets into
// the original file). A profile travels in chunks, one per APP2 segment:
//   "ICC_PROFILE\0" (12 bytes), u8 sequence number (1..N), u8 N, profile bytes
// - One chunk: the block is that segment's data exactly.
// - Several chunks: the profile is reassembled in sequence order and the block
//   holds it re-chunked canonically, every chunk full (65533 bytes of segment
//   data) except the last, so that the block splits back into segments at
//   every 65533 bytes.
// A chunk set that is not exactly 1..N of the same N is not kept.
//
// Writing: the APP1 block as one segment (when at most 65533 bytes); the APP2
// block in segments of at most 65533 bytes, in order.
#include "imaging/codecs/jpeg_metadata.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/byte_stream.h"
#include "imaging/exif_info.h"
#include "imaging/exif_parser.h"
#include "imaging/image_object.h"

namespace {

constexpr unsigned kMaxSegmentData = 65533;
const char kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
const char kIccHeader[12] = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};
constexpr unsigned kIccChunkHeader = 14;
constexpr unsigned kIccChunkData = kMaxSegmentData - kIccChunkHeader;

bool StartsWith(const jpeg_marker_struct* m, const char* prefix, unsigned length) {
    return m->data_length >= length && std::memcmp(m->data, prefix, length) == 0;
}

// The ICC chunks of the file as the APP2 block; false when there are none or
// they do not form one profile.
bool BuildIccBlock(const std::vector<const jpeg_marker_struct*>& chunks,
                   std::vector<uint8_t>* block) {
    const size_t n = chunks.size();
    if (n == 0 || n > 255) {
        return false;
    }
    std::vector<const jpeg_marker_struct*> bySequence(n, nullptr);
    for (const jpeg_marker_struct* m : chunks) {
        const unsigned sequence = m->data[12];
        const unsigned total = m->data[13];
        if (total != n || sequence < 1 || sequence > n || bySequence[sequence - 1] != nullptr) {
            return false;
        }
        bySequence[sequence - 1] = m;
    }
    if (n == 1) {
        block->assign(chunks[0]->data, chunks[0]->data + chunks[0]->data_length);
        return true;
    }
    std::vector<uint8_t> profile;
    for (const jpeg_marker_struct* m : bySequence) {
        profile.insert(profile.end(), m->data + kIccChunkHeader, m->data + m->data_length);
    }
    const size_t outChunks = (profile.size() + kIccChunkData - 1) / kIccChunkData;
    if (outChunks == 0 || outChunks > 255) {
        return false;
    }
    block->clear();
    for (size_t i = 0; i < outChunks; ++i) {
        const size_t start = i * kIccChunkData;
        const size_t length = std::min<size_t>(kIccChunkData, profile.size() - start);
        block->insert(block->end(), kIccHeader, kIccHeader + sizeof kIccHeader);
        block->push_back(static_cast<uint8_t>(i + 1));
        block->push_back(static_cast<uint8_t>(outChunks));
        block->insert(block->end(), profile.begin() + start, profile.begin() + start + length);
    }
    return true;
}

} // namespace

bool StoreJpegMetadata(j_decompress_ptr cinfo, CImageObject* image) {
    const jpeg_marker_struct* exifSegment = nullptr;
    std::vector<const jpeg_marker_struct*> iccChunks; // at most one per segment, all small
    for (const jpeg_marker_struct* m = cinfo->marker_list; m != nullptr; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && exifSegment == nullptr &&
            m->data_length > sizeof kExifHeader && StartsWith(m, kExifHeader, sizeof kExifHeader)) {
            exifSegment = m;
        } else if (m->marker == JPEG_APP0 + 2 && m->data_length > kIccChunkHeader &&
                   StartsWith(m, kIccHeader, sizeof kIccHeader)) {
            iccChunks.push_back(m);
        }
        if (image->releaseAfterDecode.load(std::memory_order_relaxed)) {
            return false;
        }
    }
    if (exifSegment == nullptr) {
        return true;
    }
    CByteStream body;
    body.AttachReadOnly(exifSegment->data + sizeof kExifHeader,
                        exifSegment->data_length - sizeof kExifHeader);
    if (!ReadExifFromTiffStream(image, &body) || image->exif == nullptr) {
        return true;
    }
    image->exif->SetApp1Block(exifSegment->data, exifSegment->data_length);
    try {
        std::vector<uint8_t> icc;
        if (BuildIccBlock(iccChunks, &icc)) {
            image->exif->SetApp2Block(icc.data(), static_cast<uint32_t>(icc.size()));
        }
    } catch (const std::bad_alloc&) {
        // The profile is not kept; the image itself is unaffected.
    }
    return true;
}

void WriteJpegMetadata(j_compress_ptr cinfo, const CExifInfo* exif) {
    if (exif == nullptr) {
        return;
    }
    if (exif->app1Data != nullptr && exif->app1Length > 0 && exif->app1Length <= kMaxSegmentData) {
        jpeg_write_marker(cinfo, JPEG_APP0 + 1, exif->app1Data, exif->app1Length);
    }
    if (exif->app2Data != nullptr) {
        for (uint32_t at = 0; at < exif->app2Length; at += kMaxSegmentData) {
            const uint32_t length = std::min<uint32_t>(kMaxSegmentData, exif->app2Length - at);
            jpeg_write_marker(cinfo, JPEG_APP0 + 2, exif->app2Data + at, length);
        }
    }
}
