// Image Properties: one page without EXIF and two with, the facts of the
// General page, and the Set Date round trip into the catalogue: ticked and
// OK stores the chosen date, unticked stores none, Cancel stores nothing.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <string>

#include "app/application_state.h"
#include "app/logic/image_attributes.h"
#include "app/tests/temp_folder.h"
#include "imaging/exif_info.h"
#include "imaging/image_object.h"
#include "tests/support/dialog_script.h"
#include "tools/image_properties.h"
#include "tools/logic/attributes_date.h"

namespace {

using testsupport::DialogScript;

class ImageProperties : public testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
        ::InitCommonControlsEx(&icc);
        ASSERT_TRUE(g_applicationState.Databases().OpenMainDatabase(data.File("main.tdb")));
        g_applicationState.LoadFolderSymbols();
        path = folder.Path() + "\\scan.tif";
        image = new CImageObject(path.c_str(), nullptr);
        ASSERT_TRUE(image->Create(1024, 768, 1, 0));
        image->fullWidth = 1024;
        image->fullHeight = 768;
        image->fileSize = 5000;
    }
    void TearDown() override {
        image->Release();
        g_applicationState.Databases().CloseMainDatabase();
    }
    CImageAttributes Stored() {
        CImageAttributes stored;
        stored.path = path;
        g_applicationState.LoadImageAttributes(stored);
        return stored;
    }
    CTestFolder data{"imgprop_db"};
    CTestFolder folder{"imgprop_pics"};
    std::string path;
    CImageObject* image = nullptr;
};

int TabCount(HWND sheet) {
    return (int)::SendMessageA(PropSheet_GetTabControl(sheet), TCM_GETITEMCOUNT, 0, 0);
}

TEST_F(ImageProperties, TheMetadataPageIsThereOnlyWithExif) {
    for (bool exif : {false, true}) {
        if (exif)
            image->EnsureExif();
        int tabs = -1;
        std::string facts;
        DialogScript script("Image Properties", [&](HWND sheet) {
            tabs = TabCount(sheet);
            HWND page = PropSheet_GetCurrentPageHwnd(sheet);
            facts = DialogScript::Text(page, IDC_IMGPROP_DIMENSIONS) + "|" +
                    DialogScript::Text(page, IDC_IMGPROP_COLORS) + "|" +
                    DialogScript::Text(page, IDC_IMGPROP_PAGES) + "|" +
                    DialogScript::Text(page, IDC_IMGPROP_TYPE) + "|" +
                    DialogScript::Text(page, IDC_IMGPROP_FILE_SIZE);
            testsupport::MaybeScreenshot(sheet, exif ? "properties_exif" : "properties");
            DialogScript::PressCancel(sheet);
        });
        EXPECT_EQ(IDCANCEL, ShowImageProperties(NULL, image));
        EXPECT_EQ(exif ? 2 : 1, tabs);
        char size[50] = "";
        ::StrFormatByteSizeA(5000, size, sizeof size);
        EXPECT_EQ(std::string("1024 x 768|1 Bits|1|TIFF|") + size, facts);
    }
}

TEST_F(ImageProperties, SetDateRoundTripsThroughTheCatalogue) {
    struct Case {
        const char* what;
        bool tick;     // tick Set Date before OK
        bool untick;   // then untick it again
        bool ok;       // OK, else Cancel
        uint16_t year; // stored year afterwards
        const char* artist;
    };
    const Case cases[] = {
        {"ticked and OK stores the picker's date", true, false, true, 2009, "Ann"},
        {"Cancel stores nothing", false, false, false, 2009, "Ann"},
        {"unticked and OK stores no date", false, true, true, 0, "Bob"},
    };
    for (const Case& c : cases) {
        bool pickerWasEnabled = true, pickerEnabledAfterTick = false;
        DialogScript script("Image Properties", [&](HWND sheet) {
            HWND page = PropSheet_GetCurrentPageHwnd(sheet);
            pickerWasEnabled = DialogScript::IsEnabled(page, IDC_IMGPROP_DATE);
            if (c.tick) {
                DialogScript::Click(page, IDC_IMGPROP_SET_DATE);
                pickerEnabledAfterTick = DialogScript::IsEnabled(page, IDC_IMGPROP_DATE);
                SYSTEMTIME chosen = {};
                chosen.wYear = 2009;
                chosen.wMonth = 6;
                chosen.wDay = 11;
                ::SendMessageA(::GetDlgItem(page, IDC_IMGPROP_DATE), DTM_SETSYSTEMTIME, GDT_VALID,
                               (LPARAM)&chosen);
            }
            if (c.untick)
                DialogScript::Click(page, IDC_IMGPROP_SET_DATE);
            DialogScript::SetText(page, IDC_IMGPROP_ARTIST, c.ok ? c.artist : "Not stored");
            if (c.ok)
                ::SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
            else
                ::SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        });
        EXPECT_EQ(c.ok ? IDOK : IDCANCEL, ShowImageProperties(NULL, image)) << c.what;
        const CImageAttributes stored = Stored();
        const AttributesDate date = UnpackAttributesDate(stored.date);
        EXPECT_EQ(c.year, date.year) << c.what;
        if (c.year) {
            EXPECT_EQ(6, date.month) << c.what;
            EXPECT_EQ(11, date.day) << c.what;
        }
        EXPECT_EQ(c.artist, stored.artist) << c.what;
        if (c.tick) {
            EXPECT_FALSE(pickerWasEnabled) << c.what;
            EXPECT_TRUE(pickerEnabledAfterTick) << c.what;
        } else if (c.untick) {
            EXPECT_TRUE(pickerWasEnabled) << c.what; // the record had a date
        }
    }
}

} // namespace
