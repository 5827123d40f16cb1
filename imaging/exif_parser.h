// Reads the TIFF-structured metadata of an image (the body of a JPEG file's
// Exif APP1 segment after its six-byte header, or a whole TIFF file) into the
// image's CExifInfo record.
#pragma once

class CImageObject;
class CByteStream;

// Parses the TIFF structure that starts at the stream's current position into
// the image's EXIF record, creating the record when the image has none.
// Offsets in the data count from that start. Sets the stream's byte order from
// the header. False, with the image unchanged, when the header is not "II" or
// "MM" followed by 42; true otherwise, whatever the IFDs hold.
bool ReadExifFromTiffStream(CImageObject* image, CByteStream* stream);
