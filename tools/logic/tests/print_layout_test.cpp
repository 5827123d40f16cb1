// The page layout of printing: lengths in the three units, the picture-size
// table, the grid with its turned last row, fitting a picture into a cell,
// the copies mapping, page counts, the range check, copies clamping and the
// e-mail size rule.
#include "tools/logic/print_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace printing;

// A Letter page as the 300 dpi test printer reports it: 8.5 x 11 inches with
// quarter-inch unprintable edges.
PageLayoutInput LetterPage() {
    PageLayoutInput in;
    in.pageWidth = 12240;
    in.pageHeight = 15840;
    in.top = in.left = in.bottom = in.right = 360;
    return in;
}

TEST(PrintLengths, AreShownAndReadInEachUnit) {
    struct Case {
        int twips;
        int unit;
        const char* shown;
    } cases[] = {
        {360, 0, "0.25\""},  {360, 1, "0.63"}, {360, 2, "6.35"},
        {1440, 0, "1.00\""}, {0, 1, "0.00"},   {-720, 0, "-0.50\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatLength(c.twips, c.unit), c.shown) << c.twips << " in unit " << c.unit;

    struct Read {
        const char* text;
        int unit;
        int twips;
    } reads[] = {
        {"0.25\"", 0, 360}, {"0.63", 1, 357}, {"1", 2, 56},  {"  2.5cm", 1, 1417},
        {"-0.5", 0, -720},  {"", 0, 0},       {"abc", 1, 0}, {"1e30", 0, 2147483647},
    };
    for (const Read& r : reads)
        EXPECT_EQ(ParseLength(r.text, r.unit), r.twips) << '"' << r.text << '"';

    // The stored form of size and spacing boxes.
    EXPECT_EQ(ParseThousandths("0.05\"", true), 50);
    EXPECT_EQ(ParseThousandths("-0.01", true), 0);
    EXPECT_EQ(ParseThousandths("-0.01", false), -10);
    EXPECT_EQ(FormatThousandths(50, 0), "0.05\"");
    EXPECT_EQ(FormatThousandths(1500, 2), "1.50");
}

TEST(PrintPictureSizes, NameEachRowPerUnitAndShareMetricTwips) {
    int w = -1, h = -1;
    ASSERT_TRUE(PictureSizeTwips(3, 0, &w, &h));
    EXPECT_EQ(w, 5760);
    EXPECT_EQ(h, 8640);
    EXPECT_STREQ(PictureSizeName(3, 0), "4 x 6 inches");
    EXPECT_STREQ(PictureSizeName(3, 1), "10 x 15 cm");
    EXPECT_STREQ(PictureSizeName(3, 2), "100 x 150 mm");
    for (int row = 0; row < kPictureSizeCustom; ++row) {
        int cw, ch, mw, mh;
        ASSERT_TRUE(PictureSizeTwips(row, 1, &cw, &ch));
        ASSERT_TRUE(PictureSizeTwips(row, 2, &mw, &mh));
        EXPECT_EQ(cw, mw) << row;
        EXPECT_EQ(ch, mh) << row;
    }
    ASSERT_TRUE(PictureSizeTwips(0, 2, &w, &h));
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    EXPECT_FALSE(PictureSizeTwips(kPictureSizeCustom, 0, &w, &h));
    EXPECT_STREQ(PictureSizeName(kPictureSizeCustom, 1), "Custom");
    EXPECT_STREQ(PictureSizeName(0, 1), "Full page");
}

TEST(PrintPageLayout, TurnsTheLastRowWhenOnlyATurnedPictureFits) {
    PageLayoutInput in = LetterPage();
    in.pictureWidth = 5760;
    in.pictureHeight = 8640;
    in.perPage = 2;
    in.pictureCount = 2;
    const PageLayout l = ComputePageLayout(in);
    EXPECT_TRUE(l.grid);
    EXPECT_EQ(l.columns, 1);
    EXPECT_EQ(l.rows, 2);
    EXPECT_TRUE(l.lastRowTurned);
    ASSERT_EQ(l.cells.size(), 2u);
    EXPECT_EQ(l.cells[0].rect, (Rect{360, 360, 5760, 8640}));
    EXPECT_FALSE(l.cells[0].turnedRow);
    EXPECT_EQ(l.cells[1].rect, (Rect{360, 9000, 8640, 5760}));
    EXPECT_TRUE(l.cells[1].turnedRow);
}

TEST(PrintPageLayout, PlacesGridsAndSingleLayouts) {
    struct Case {
        const char* name;
        int pictureWidth, pictureHeight, spaceHorz, spaceVert, perPage, page, pictureCount;
        bool grid;
        int columns, rows;
        std::vector<Rect> cells;
        std::vector<int> pictures;
    } cases[] = {
        {"full page fills the margins",
         0,
         0,
         0,
         0,
         1,
         2,
         3,
         false,
         0,
         0,
         {{360, 360, 11520, 15120}},
         {1}},
        {"full page past the last picture is empty", 0, 0, 0, 0, 1, 4, 3, false, 0, 0, {}, {}},
        {"one per page with a size is one grid cell at the corner",
         5760,
         8640,
         0,
         0,
         1,
         1,
         1,
         true,
         1,
         1,
         {{360, 360, 5760, 8640}},
         {0}},
        {"2.5 x 3.5 with spacing makes three columns",
         3600,
         5040,
         72,
         72,
         4,
         2,
         7,
         true,
         3,
         2,
         {{360, 360, 3600, 5040}, {4032, 360, 3600, 5040}, {7704, 360, 3600, 5040}},
         {4, 5, 6}},
        {"a grid without a picture size holds nothing", 0, 0, 72, 72, 4, 1, 8, true, 0, 0, {}, {}},
        {"a column needs more room than the picture: 3 x 3.5 in leaves one",
         3840,
         5040,
         0,
         0,
         3,
         1,
         3,
         true,
         2,
         2,
         {{360, 360, 3840, 5040}, {4200, 360, 3840, 5040}, {360, 5400, 3840, 5040}},
         {0, 1, 2}},
        {"a row that still fits upright is not turned",
         3600,
         5040,
         0,
         0,
         6,
         1,
         6,
         true,
         3,
         2,
         {{360, 360, 3600, 5040},
          {3960, 360, 3600, 5040},
          {7560, 360, 3600, 5040},
          {360, 5400, 3600, 5040},
          {3960, 5400, 3600, 5040},
          {7560, 5400, 3600, 5040}},
         {0, 1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        PageLayoutInput in = LetterPage();
        in.pictureWidth = c.pictureWidth;
        in.pictureHeight = c.pictureHeight;
        in.spaceHorz = c.spaceHorz;
        in.spaceVert = c.spaceVert;
        in.perPage = c.perPage;
        in.page = c.page;
        in.pictureCount = c.pictureCount;
        const PageLayout l = ComputePageLayout(in);
        EXPECT_EQ(l.grid, c.grid) << c.name;
        EXPECT_EQ(l.columns, c.columns) << c.name;
        EXPECT_EQ(l.rows, c.rows) << c.name;
        ASSERT_EQ(l.cells.size(), c.cells.size()) << c.name;
        for (size_t i = 0; i < c.cells.size(); ++i) {
            EXPECT_EQ(l.cells[i].rect, c.cells[i]) << c.name << " cell " << i;
            EXPECT_EQ(l.cells[i].picture, c.pictures[i]) << c.name << " cell " << i;
        }
    }
}

TEST(PrintPageLayout, DrawsNothingForPageZeroOrNoPicturesPerPage) {
    PageLayoutInput in = LetterPage();
    in.pictureCount = 5;
    in.page = 0;
    EXPECT_TRUE(ComputePageLayout(in).cells.empty());
    in.page = 1;
    in.perPage = 0;
    EXPECT_TRUE(ComputePageLayout(in).cells.empty());
    in.perPage = -3;
    EXPECT_TRUE(ComputePageLayout(in).cells.empty());
}

TEST(PrintFit, SameAspectDrawsTheSameInEveryMode) {
    for (int mode = 0; mode < kFitModeCount; ++mode) {
        const FitResult r = FitPicture(mode, 5760, 8640, 400, 600, false);
        EXPECT_TRUE(r.draw) << mode;
        EXPECT_FALSE(r.turned) << mode;
        EXPECT_EQ(r.source, (Rect{0, 0, 400, 600})) << mode;
        EXPECT_EQ(r.dest, (Rect{0, 0, 5760, 8640})) << mode;
    }
}

TEST(PrintFit, CropsCentresTurnsAndStretches) {
    struct Case {
        const char* name;
        int mode, w, h, iw, ih;
        bool metafile, draw, turned;
        Rect source, dest;
    } cases[] = {
        {"crop and turn: landscape into portrait turns, then fits exactly",
         0,
         1000,
         2000,
         200,
         100,
         false,
         true,
         true,
         {0, 0, 100, 200},
         {0, 0, 1000, 2000}},
        {"crop and turn: wider image loses columns",
         0,
         1000,
         1000,
         300,
         100,
         false,
         true,
         false,
         {100, 0, 100, 100},
         {0, 0, 1000, 1000}},
        {"crop: taller image loses rows, never turns",
         2,
         2000,
         1000,
         100,
         300,
         false,
         true,
         false,
         {0, 125, 100, 50},
         {0, 0, 2000, 1000}},
        {"centre: wide image gets bands above and below",
         1,
         1000,
         1000,
         200,
         100,
         false,
         true,
         false,
         {0, 0, 200, 100},
         {0, 250, 1000, 500}},
        {"centre: tall image in a landscape cell is turned",
         1,
         2000,
         1000,
         100,
         300,
         false,
         true,
         true,
         {0, 0, 300, 100},
         {0, 166, 2000, 668}},
        {"stretch: never turns, tall image centred",
         3,
         2000,
         1000,
         100,
         300,
         false,
         true,
         false,
         {0, 0, 100, 300},
         {833, 0, 333, 1000}},
        {"stretch: wide image centred",
         3,
         1000,
         1000,
         400,
         100,
         false,
         true,
         false,
         {0, 0, 400, 100},
         {0, 375, 1000, 250}},
        {"a metafile fills its cell whatever the mode",
         1,
         3000,
         1000,
         100,
         300,
         true,
         true,
         false,
         {0, 0, 100, 300},
         {0, 0, 3000, 1000}},
        {"an unknown mode draws nothing", 7, 1000, 1000, 100, 100, false, false, false, {}, {}},
        {"an empty cell draws nothing", 0, 0, 1000, 100, 100, false, false, false, {}, {}},
        {"an empty image draws nothing", 0, 1000, 1000, 0, 100, false, false, false, {}, {}},
    };
    for (const Case& c : cases) {
        const FitResult r = FitPicture(c.mode, c.w, c.h, c.iw, c.ih, c.metafile);
        EXPECT_EQ(r.draw, c.draw) << c.name;
        if (!c.draw)
            continue;
        EXPECT_EQ(r.turned, c.turned) << c.name;
        EXPECT_EQ(r.source, c.source) << c.name;
        EXPECT_EQ(r.dest, c.dest) << c.name;
    }
}

TEST(PrintPictures, MapCopiesToEntriesAndCountPages) {
    const std::vector<int> copies = {2, 2, 2};
    const int expected[] = {0, 0, 1, 1, 2, 2, -1};
    for (int n = 0; n < 7; ++n)
        EXPECT_EQ(PictureEntry(copies, n), expected[n]) << n;
    EXPECT_EQ(PictureEntry(copies, -1), -1);
    EXPECT_EQ(PictureEntry({1, 0, 3}, 1), 2); // an entry without copies holds no picture
    EXPECT_EQ(SumCopies(copies), 6);

    struct Pages {
        int pictures, perPage, pages;
    } pages[] = {{7, 3, 3}, {6, 3, 2}, {1, 1, 1}, {0, 4, 0}, {5, 0, 0}};
    for (const Pages& p : pages)
        EXPECT_EQ(PageCount(p.pictures, p.perPage), p.pages) << p.pictures << "/" << p.perPage;
}

TEST(PrintRange, RefusesRangesOutsideThePages) {
    struct Case {
        int choice, first, last, pageCount;
        bool ok;
    } cases[] = {
        {kRangeAll, 1, 1, 3, true},     {kRangeAll, 1, 4, 3, false}, // last beyond, even for All
        {kRangePages, 2, 3, 3, true},   {kRangePages, 3, 2, 3, false},
        {kRangePages, 0, 2, 3, false},  {kRangePages, -1, 1, 3, false},
        {kRangeCurrent, 5, 1, 3, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RangeAcceptable(c.choice, c.first, c.last, c.pageCount), c.ok)
            << c.choice << ": " << c.first << ".." << c.last << " of " << c.pageCount;

    int from = 0, to = 0;
    PagesToPrint(kRangeAll, 2, 2, 2, 5, &from, &to);
    EXPECT_EQ(from, 1);
    EXPECT_EQ(to, 5);
    PagesToPrint(kRangeCurrent, 1, 1, 4, 5, &from, &to);
    EXPECT_EQ(from, 4);
    EXPECT_EQ(to, 4);
    PagesToPrint(kRangePages, 2, 3, 1, 5, &from, &to);
    EXPECT_EQ(from, 2);
    EXPECT_EQ(to, 3);
}

TEST(PrintCopies, ClampToOneThrough9999) {
    EXPECT_EQ(ClampCopies(0), 1);
    EXPECT_EQ(ClampCopies(-5), 1);
    EXPECT_EQ(ClampCopies(7), 7);
    EXPECT_EQ(ClampCopies(10000), 9999);
}

TEST(EmailSize, ShrinksOnlyPicturesLargerThanTheTarget) {
    struct Case {
        int w, h, tw, th;
        bool resized;
        int nw, nh;
    } cases[] = {
        {4000, 3000, 800, 600, true, 800, 600}, {3000, 4000, 800, 600, true, 450, 600},
        {600, 400, 800, 600, false, 0, 0},      {800, 600, 800, 600, false, 0, 0},
        {1000, 100, 640, 480, true, 640, 64},   {100, 5000, 640, 480, true, 9, 480},
        {0, 100, 640, 480, false, 0, 0},        {10000, 1, 640, 480, false, 0, 0},
    };
    for (const Case& c : cases) {
        int nw = 0, nh = 0;
        EXPECT_EQ(EmailScaledSize(c.w, c.h, c.tw, c.th, &nw, &nh), c.resized) << c.w << "x" << c.h;
        if (c.resized) {
            EXPECT_EQ(nw, c.nw) << c.w << "x" << c.h;
            EXPECT_EQ(nh, c.nh) << c.w << "x" << c.h;
        }
    }
}

} // namespace
