#include "imaging/codecs/image_reader.h"

#include <cstdint>

#include "imaging/byte_stream.h"
#include "imaging/image_object.h"
#include "imaging/operations/resize_op.h"
#include "imaging/win32_file.h"

bool ExceedsPixelLimit(int64_t width, int64_t height) {
    return width > 0 && height > 0 &&
           static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kImagePixelLimit;
}

CImageReader::~CImageReader() = default;

bool CImageReader::OpenSource(const char* path, CMappedFile& file, CByteStream& view,
                              CImageObject* image) {
    if (path == nullptr || image == nullptr)
        return false;
    if (!file.Open(path, kFileRead) || file.view == nullptr)
        return false;
    // Streams address 32 bits; a larger file is no image this program reads.
    if (file.viewSize == 0 || file.viewSize > UINT32_MAX)
        return false;
    image->fileTime = file.GetLastWriteTime();
    image->fileSize = static_cast<uint32_t>(file.viewSize);
    view.AttachReadOnly(file.view, static_cast<uint32_t>(file.viewSize));
    return true;
}

bool CImageReader::SizeAllowed(int64_t width, int64_t height) const {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX)
        return false;
    return !OverPixelLimit(width, height);
}

bool CImageReader::OverPixelLimit(int64_t width, int64_t height) const {
    return m_pixelLimit != 0 && width > 0 && height > 0 &&
           static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > m_pixelLimit;
}

bool CImageReader::StopRequested(const CImageObject* image) {
    return image->releaseAfterDecode.load(std::memory_order_relaxed);
}

void CImageReader::Notify(CImageObject* image, int32_t event, int32_t position, int32_t count) {
    if (m_progress != nullptr)
        m_progress(image, event, position, count, m_progressUser);
}

void CImageReader::SignalHeaderReady(CImageObject* image) {
    image->SignalReady();
    Notify(image, kDecodeHeaderReady, -1, -1);
}

void CImageReader::ReportRows(CImageObject* image, int32_t position, int32_t count) {
    image->rowsDecoded.fetch_add(count);
    Notify(image, kDecodeRows, position, count);
}

void CImageReader::SignalComplete(CImageObject* image) {
    image->SetComplete();
    Notify(image, kDecodeComplete, -1, -1);
}

bool CImageReader::ReadScaled(const char* path, CImageObject* image) {
    if (path == nullptr || image == nullptr)
        return false;
    m_pageLimit = 1;

    // A fresh image: the caller's header-only and release-after-decode flags
    // must not cut the decode short, since the result is resampled afterwards.
    CImageObject temp(path, nullptr);
    if (!Read(path, &temp)) {
        image->fullWidth = temp.fullWidth; // what the file claimed, for the caller
        image->fullHeight = temp.fullHeight;
        return false;
    }

    int32_t boxWidth = temp.width;
    int32_t boxHeight = temp.height;
    double scale = 1.0;
    if (m_maxWidth >= 0 || m_maxHeight >= 0) {
        // -1 on one side leaves that side free: only the other one constrains.
        boxWidth = m_maxWidth >= 0 ? m_maxWidth : INT32_MAX;
        boxHeight = m_maxHeight >= 0 ? m_maxHeight : INT32_MAX;
        scale = FitSizeIntoBox(temp.width, temp.height, &boxWidth, &boxHeight);
    }

    if (scale == 1.0) {
        if (!image->CopyFrom(&temp))
            return false;
    } else {
        CImageSizeOp resize;
        resize.mode = CImageSizeOp::kExactSize;
        resize.width = boxWidth;
        resize.height = boxHeight;
        if (!resize.Apply(image, &temp))
            return false;
    }
    // CopyFrom carries the time but not the size; the resample carries neither.
    image->fileTime = temp.fileTime;
    image->fileSize = temp.fileSize;
    image->fullWidth = temp.width;
    image->fullHeight = temp.height;
    return true;
}
