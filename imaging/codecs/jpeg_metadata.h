// The metadata segments of a JPEG file that the codec keeps: the Exif APP1
// segment (parsed into the image's EXIF record and kept raw) and the ICC
// profile carried in APP2 segments (kept raw), so that the writer can put
// them back unchanged when an edited image is saved.
#pragma once

#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

class CImageObject;
class CExifInfo;

// Looks through the APP1 and APP2 segments that the decompressor saved (file
// order). The first APP1 whose data starts "Exif\0\0" is parsed into the
// image's EXIF record; when that succeeds the record keeps that segment's data
// as its APP1 block and the ICC profile's APP2 segments as its APP2 block.
// The image's release-after-decode flag is tested after each segment: false
// when it is set, true otherwise.
bool StoreJpegMetadata(j_decompress_ptr cinfo, CImageObject* image);

// Writes the record's APP1 block as one APP1 segment and its APP2 block as
// one or more APP2 segments (see jpeg_metadata.cpp for the block's form).
// Call between jpeg_start_compress and the first scanline.
void WriteJpegMetadata(j_compress_ptr cinfo, const CExifInfo* exif);
