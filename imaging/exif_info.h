// The EXIF values of one image: texts, resolution, orientation and the
// exposure settings of the shot, plus the raw APP1/APP2 segments of a JPEG
// file so that a writer can put them back. Shared by reference count between
// an image and its copies on different threads, so the count is interlocked.
#pragma once

#include <cstddef>
#include <cstdint>

struct ExifRational {
    uint32_t numerator;
    uint32_t denominator;
};

// The thirteen texts, in the record's order.
enum EExifText : int {
    kExifMake = 0,
    kExifModel,
    kExifSoftware,
    kExifArtist,
    kExifCopyright,
    kExifImageDescription,
    kExifDateTime,
    kExifDateTimeOriginal,
    kExifDateTimeDigitized,
    kExifSubSecTime,
    kExifSubSecTimeOriginal,
    kExifSubSecTimeDigitized,
    kExifSpectralSensitivity,
    kExifTextCount
};

class CExifInfo {
public:
    // A new record with the defaults and one reference (the creator's).
    CExifInfo();
    CExifInfo(const CExifInfo&) = delete;
    CExifInfo& operator=(const CExifInfo&) = delete;

    // Interlocked; each returns the new count. Release deletes the record when
    // the count reaches 0.
    int32_t AddRef();
    int32_t Release();

    // Text access by id. Setters store a copy (or clear the text for null);
    // a failed allocation leaves the text unset. Getters never return null:
    // an unset text reads as "".
    void SetText(EExifText which, const char* text);
    // Copies at most length bytes, stopping at the first zero byte.
    void SetText(EExifText which, const char* text, size_t length);
    const char* GetText(EExifText which) const;

    void SetMake(const char* text) { SetText(kExifMake, text); }
    void SetModel(const char* text) { SetText(kExifModel, text); }
    void SetSoftware(const char* text) { SetText(kExifSoftware, text); }
    void SetArtist(const char* text) { SetText(kExifArtist, text); }
    void SetCopyright(const char* text) { SetText(kExifCopyright, text); }
    void SetImageDescription(const char* text) { SetText(kExifImageDescription, text); }
    void SetDateTime(const char* text) { SetText(kExifDateTime, text); }
    void SetDateTimeOriginal(const char* text) { SetText(kExifDateTimeOriginal, text); }
    void SetDateTimeDigitized(const char* text) { SetText(kExifDateTimeDigitized, text); }
    void SetSubSecTime(const char* text) { SetText(kExifSubSecTime, text); }
    void SetSubSecTimeOriginal(const char* text) { SetText(kExifSubSecTimeOriginal, text); }
    void SetSubSecTimeDigitized(const char* text) { SetText(kExifSubSecTimeDigitized, text); }
    void SetSpectralSensitivity(const char* text) { SetText(kExifSpectralSensitivity, text); }

    const char* GetMake() const { return GetText(kExifMake); }
    const char* GetModel() const { return GetText(kExifModel); }
    const char* GetSoftware() const { return GetText(kExifSoftware); }
    const char* GetArtist() const { return GetText(kExifArtist); }
    const char* GetCopyright() const { return GetText(kExifCopyright); }
    const char* GetImageDescription() const { return GetText(kExifImageDescription); }
    const char* GetDateTime() const { return GetText(kExifDateTime); }
    const char* GetDateTimeOriginal() const { return GetText(kExifDateTimeOriginal); }
    const char* GetDateTimeDigitized() const { return GetText(kExifDateTimeDigitized); }
    const char* GetSubSecTime() const { return GetText(kExifSubSecTime); }
    const char* GetSubSecTimeOriginal() const { return GetText(kExifSubSecTimeOriginal); }
    const char* GetSubSecTimeDigitized() const { return GetText(kExifSubSecTimeDigitized); }
    const char* GetSpectralSensitivity() const { return GetText(kExifSpectralSensitivity); }

    // True when the text was set (even to "").
    bool HasText(EExifText which) const;

    // Keeps a copy of a JPEG file's raw APP1 / APP2 segment (replacing any
    // earlier one); null or length 0 clears it. False when the copy cannot be
    // allocated (the old block is then kept).
    bool SetApp1Block(const uint8_t* data, uint32_t length);
    bool SetApp2Block(const uint8_t* data, uint32_t length);

    volatile int32_t refCount; // interlocked; the record is freed at 0

    uint8_t* app1Data;   // raw APP1 segment kept for the JPEG writer; owned
    uint32_t app1Length; // bytes in app1Data
    uint8_t* app2Data;   // raw APP2 segment; owned
    uint32_t app2Length; // bytes in app2Data

    uint16_t orientation;         // 274; 1 = top-left
    ExifRational xResolution;     // 282; 72/1
    ExifRational yResolution;     // 283; 72/1
    uint16_t resolutionUnit;      // 296; 2 = inches
    uint16_t compression;         // 259
    uint16_t colorSpace;          // 40961
    ExifRational exposureTime;    // 33434; reduced by 10 once after parsing
    ExifRational shutterSpeed;    // 37377 (signed bit pattern)
    ExifRational aperture;        // 37378
    ExifRational brightness;      // 37379 (signed bit pattern)
    ExifRational exposureBias;    // 37380 (signed bit pattern)
    ExifRational maxAperture;     // 37381
    ExifRational subjectDistance; // 37382
    uint16_t meteringMode;        // 37383
    uint16_t lightSource;         // 37384
    uint16_t flash;               // 37385
    ExifRational focalLength;     // 37386
    ExifRational fNumber;         // 33437
    uint16_t exposureProgram;     // 34850
    ExifRational flashEnergy;     // 41483
    ExifRational exposureIndex;   // 41493
    uint16_t sensingMethod;       // 1 unless set

private:
    ~CExifInfo(); // only through Release

    char* texts_[kExifTextCount]; // owned, zero-terminated; null = unset
};
