#include "imaging/exif_info.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

TEST(ExifInfo, Defaults) {
    CExifInfo* record = new CExifInfo;
    EXPECT_EQ(record->refCount, 1);
    EXPECT_EQ(record->orientation, 1);
    EXPECT_EQ(record->xResolution.numerator, 72u);
    EXPECT_EQ(record->xResolution.denominator, 1u);
    EXPECT_EQ(record->yResolution.numerator, 72u);
    EXPECT_EQ(record->yResolution.denominator, 1u);
    EXPECT_EQ(record->resolutionUnit, 2);
    EXPECT_EQ(record->sensingMethod, 1);
    EXPECT_EQ(record->compression, 0);
    EXPECT_EQ(record->exposureTime.numerator, 0u);
    EXPECT_EQ(record->exposureTime.denominator, 0u);
    EXPECT_EQ(record->flash, 0);
    EXPECT_EQ(record->app1Data, nullptr);
    EXPECT_EQ(record->app2Length, 0u);
    for (int i = 0; i < kExifTextCount; ++i) {
        EXPECT_STREQ(record->GetText(static_cast<EExifText>(i)), "");
        EXPECT_FALSE(record->HasText(static_cast<EExifText>(i)));
    }
    EXPECT_EQ(record->Release(), 0);
}

TEST(ExifInfo, TextSettersAndGetters) {
    CExifInfo* record = new CExifInfo;
    struct Field {
        void (CExifInfo::*set)(const char*);
        const char* (CExifInfo::*get)() const;
        EExifText id;
    } fields[] = {
        {&CExifInfo::SetMake, &CExifInfo::GetMake, kExifMake},
        {&CExifInfo::SetModel, &CExifInfo::GetModel, kExifModel},
        {&CExifInfo::SetSoftware, &CExifInfo::GetSoftware, kExifSoftware},
        {&CExifInfo::SetArtist, &CExifInfo::GetArtist, kExifArtist},
        {&CExifInfo::SetCopyright, &CExifInfo::GetCopyright, kExifCopyright},
        {&CExifInfo::SetImageDescription, &CExifInfo::GetImageDescription, kExifImageDescription},
        {&CExifInfo::SetDateTime, &CExifInfo::GetDateTime, kExifDateTime},
        {&CExifInfo::SetDateTimeOriginal, &CExifInfo::GetDateTimeOriginal, kExifDateTimeOriginal},
        {&CExifInfo::SetDateTimeDigitized, &CExifInfo::GetDateTimeDigitized,
         kExifDateTimeDigitized},
        {&CExifInfo::SetSubSecTime, &CExifInfo::GetSubSecTime, kExifSubSecTime},
        {&CExifInfo::SetSubSecTimeOriginal, &CExifInfo::GetSubSecTimeOriginal,
         kExifSubSecTimeOriginal},
        {&CExifInfo::SetSubSecTimeDigitized, &CExifInfo::GetSubSecTimeDigitized,
         kExifSubSecTimeDigitized},
        {&CExifInfo::SetSpectralSensitivity, &CExifInfo::GetSpectralSensitivity,
         kExifSpectralSensitivity},
    };
    ASSERT_EQ(sizeof fields / sizeof fields[0], static_cast<size_t>(kExifTextCount));
    for (const Field& f : fields) {
        std::string value = "text " + std::to_string(f.id);
        (record->*f.set)(value.c_str());
        EXPECT_EQ((record->*f.get)(), value);
        EXPECT_STREQ(record->GetText(f.id), value.c_str());
        (record->*f.set)("again"); // replaces (the old copy is freed)
        EXPECT_STREQ((record->*f.get)(), "again");
    }
    // The setters keep their own copy.
    char buffer[8] = "Camera";
    record->SetMake(buffer);
    buffer[0] = 'X';
    EXPECT_STREQ(record->GetMake(), "Camera");
    record->SetMake(nullptr);
    EXPECT_STREQ(record->GetMake(), "");
    EXPECT_FALSE(record->HasText(kExifMake));

    // Counted texts stop at their first zero byte or after the count.
    record->SetText(kExifSubSecTime, "12\0x", 4);
    EXPECT_STREQ(record->GetSubSecTime(), "12");
    record->SetText(kExifModel, "ABCDEF", 3);
    EXPECT_STREQ(record->GetModel(), "ABC");
    record->SetText(static_cast<EExifText>(99), "ignored");
    EXPECT_STREQ(record->GetText(static_cast<EExifText>(99)), "");
    record->Release();
}

TEST(ExifInfo, RawBlocks) {
    CExifInfo* record = new CExifInfo;
    const uint8_t app1[5] = {'E', 'x', 'i', 'f', 0};
    ASSERT_TRUE(record->SetApp1Block(app1, 5));
    ASSERT_EQ(record->app1Length, 5u);
    EXPECT_EQ(record->app1Data[3], 'f');
    EXPECT_NE(record->app1Data, app1);
    ASSERT_TRUE(record->SetApp2Block(app1, 2));
    ASSERT_TRUE(record->SetApp1Block(nullptr, 0));
    EXPECT_EQ(record->app1Data, nullptr);
    EXPECT_EQ(record->app1Length, 0u);
    record->Release(); // frees the APP2 copy
}

TEST(ExifInfo, SharedAcrossThreads) {
    CExifInfo* record = new CExifInfo;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([record] {
            for (int i = 0; i < 10000; ++i) {
                record->AddRef();
                record->Release();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(record->refCount, 1);
    EXPECT_EQ(record->AddRef(), 2);
    EXPECT_EQ(record->Release(), 1);
    EXPECT_EQ(record->Release(), 0);
}

} // namespace
