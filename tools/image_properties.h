// Image Properties: a modal sheet for one image. Its General page shows the
// image's facts and edits the attributes the user gives it (description,
// artist, keywords, date); its Metadata page, present only when the image
// has an EXIF record, lists the EXIF values.
#pragma once

#include <windows.h>

#include "app/logic/image_attributes.h"
#include "resources/resource.h"
#include "tools/metadata_list.h"
#include "ui/property_sheet.h"

class CImageObject;

class CImageGeneralPage : public CPropertyPageImpl<CImageGeneralPage> {
public:
    enum { IDD = IDD_IMAGE_GENERAL };
    CImageGeneralPage(const CImageObject* image, CImageAttributes* attributes)
        : m_image(image), m_attributes(attributes) {}

    BOOL OnApply();

    BEGIN_MSG_MAP(CImageGeneralPage)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
    CHAIN_MSG_MAP(CPropertyPageImpl<CImageGeneralPage>)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCommand(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNotify(UINT, WPARAM, LPARAM, BOOL&);

    const CImageObject* m_image;
    CImageAttributes* m_attributes;
    bool m_opened = false;
};

class CImageMetadataPage : public CPropertyPageImpl<CImageMetadataPage> {
public:
    enum { IDD = IDD_IMAGE_METADATA };
    explicit CImageMetadataPage(const CImageObject* image) : m_image(image) {}

    BEGIN_MSG_MAP(CImageMetadataPage)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    CHAIN_MSG_MAP(CPropertyPageImpl<CImageMetadataPage>)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);

    const CImageObject* m_image;
    CMetadataListViewCtrl m_list;
};

class CImagePropertiesSheet : public CPropertySheet {
public:
    // Neither is owned; both must outlive DoModal.
    CImagePropertiesSheet(const CImageObject* image, CImageAttributes* attributes);

private:
    CImageGeneralPage m_general;
    CImageMetadataPage m_metadata;
};

// The Properties command: loads the catalogue's record for the image's
// path, runs the sheet owned by owner and stores the record after OK.
// IDOK, IDCANCEL, or -1 when the sheet could not be shown or the record
// not stored.
INT_PTR ShowImageProperties(HWND owner, const CImageObject* image);
