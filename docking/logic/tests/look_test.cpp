#include "docking/logic/look.h"

#include <gtest/gtest.h>

namespace {

using docking::Rgb;

TEST(DockingLook, LightFaceColourLiftsTheBrightestChannel) {
    struct Case {
        Rgb face, light;
    };
    const Case cases[] = {
        {{255, 255, 255}, {255, 255, 255}}, {{0, 0, 0}, {35, 35, 35}},
        {{212, 208, 200}, {247, 242, 233}}, {{230, 230, 230}, {255, 255, 255}},
        {{100, 0, 50}, {135, 0, 68}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(docking::LightFaceColour(c.face), c.light)
            << c.face.r << "," << c.face.g << "," << c.face.b;
}

TEST(DockingLook, DimmedAndInactiveTextColours) {
    EXPECT_EQ(docking::DimmedTextColour({0, 0, 0}, {128, 128, 128}), (Rgb{84, 84, 84}));
    EXPECT_EQ(docking::DimmedTextColour({200, 0, 0}, {100, 0, 0}), (Rgb{134, 0, 0}))
        << "the division truncates towards zero";
    EXPECT_EQ(docking::InactiveTextColour({128, 128, 128}), (Rgb{85, 85, 85}));
    EXPECT_EQ(docking::InactiveTextColour({172, 168, 40}), (Rgb{129, 126, 20}));
    EXPECT_EQ(docking::InactiveTextColour({0, 0, 0}), (Rgb{0, 0, 0}));
}

TEST(DockingLook, ShortenedTextKeepsAtLeastOneOwnCharacter) {
    struct Case {
        const char* text;
        int fit;
        const char* shortened;
    };
    const Case cases[] = {
        {"Folders", 6, "Fol..."}, {"Folders", 2, "F..."}, {"Folders", 0, "F..."},
        {"Ab", 5, "Ab..."},       {"", 0, "..."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(docking::ShortenWithEllipsis(c.text, c.fit), c.shortened)
            << c.text << " " << c.fit;
}

TEST(DockingLook, MetricsFromFontsAndIcons) {
    EXPECT_EQ(docking::VerticalTextOffset(-11), 0);
    EXPECT_EQ(docking::VerticalTextOffset(-16), 2);
    EXPECT_EQ(docking::VerticalTextOffset(-8), -1) << "rounded toward zero";
    EXPECT_EQ(docking::AutoHideStripHeight(13, 16, 16), 24);
    EXPECT_EQ(docking::AutoHideStripHeight(18, 13, 16), 26);
}

} // namespace
