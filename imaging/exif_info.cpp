#include "imaging/exif_info.h"

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace {

char* CopyText(const char* text, size_t length) {
    char* copy = static_cast<char*>(malloc(length + 1));
    if (!copy)
        return nullptr;
    memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

bool CopyBlock(const uint8_t* data, uint32_t length, uint8_t** block, uint32_t* blockLength) {
    uint8_t* copy = nullptr;
    if (data && length > 0) {
        copy = static_cast<uint8_t*>(malloc(length));
        if (!copy)
            return false;
        memcpy(copy, data, length);
    }
    free(*block);
    *block = copy;
    *blockLength = copy ? length : 0;
    return true;
}

} // namespace

CExifInfo::CExifInfo()
    : refCount(1), app1Data(nullptr), app1Length(0), app2Data(nullptr), app2Length(0),
      orientation(1), xResolution{72, 1}, yResolution{72, 1}, resolutionUnit(2), compression(0),
      colorSpace(0), exposureTime{0, 0}, shutterSpeed{0, 0}, aperture{0, 0}, brightness{0, 0},
      exposureBias{0, 0}, maxAperture{0, 0}, subjectDistance{0, 0}, meteringMode(0), lightSource(0),
      flash(0), focalLength{0, 0}, fNumber{0, 0},
      exposureProgram(0), flashEnergy{0, 0}, exposureIndex{0, 0}, sensingMethod(1), texts_{} {}

CExifInfo::~CExifInfo() {
    for (char*& text : texts_) {
        free(text);
        text = nullptr;
    }
    free(app1Data);
    free(app2Data);
}

int32_t CExifInfo::AddRef() {
    return plat::AtomicIncrement(&refCount);
}

int32_t CExifInfo::Release() {
    int32_t remaining = plat::AtomicDecrement(&refCount);
    if (remaining == 0)
        delete this;
    return remaining;
}

void CExifInfo::SetText(EExifText which, const char* text) {
    SetText(which, text, text ? strlen(text) : 0);
}

void CExifInfo::SetText(EExifText which, const char* text, size_t length) {
    if (which < 0 || which >= kExifTextCount)
        return;
    free(texts_[which]);
    texts_[which] = nullptr;
    if (!text)
        return;
    const char* zero = static_cast<const char*>(memchr(text, '\0', length));
    if (zero)
        length = static_cast<size_t>(zero - text);
    texts_[which] = CopyText(text, length); // stays unset when the copy fails
}

const char* CExifInfo::GetText(EExifText which) const {
    if (which < 0 || which >= kExifTextCount || !texts_[which])
        return "";
    return texts_[which];
}

bool CExifInfo::HasText(EExifText which) const {
    return which >= 0 && which < kExifTextCount && texts_[which] != nullptr;
}

bool CExifInfo::SetApp1Block(const uint8_t* data, uint32_t length) {
    return CopyBlock(data, length, &app1Data, &app1Length);
}

bool CExifInfo::SetApp2Block(const uint8_t* data, uint32_t length) {
    return CopyBlock(data, length, &app2Data, &app2Length);
}
