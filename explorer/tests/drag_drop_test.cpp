// The drag-and-drop objects under Wine, called through their interfaces:
// the data object's answers and what it frees, the format enumerator's
// positions, the drop source's rule, and the drop target's matching, effect
// rule and release of every medium it took.
#include "explorer/drag_drop.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace {

HGLOBAL Block(const char* text) {
    const size_t size = std::strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    std::memcpy(GlobalLock(block), text, size);
    GlobalUnlock(block);
    return block;
}

FORMATETC Format(CLIPFORMAT format, DWORD tymed = TYMED_HGLOBAL, DWORD aspect = DVASPECT_CONTENT) {
    return FORMATETC{format, nullptr, aspect, -1, tymed};
}

std::string Text(HGLOBAL block) {
    std::string text(static_cast<const char*>(GlobalLock(block)));
    GlobalUnlock(block);
    return text;
}

// Counts the releases that ReleaseStgMedium makes of a medium's owner.
class CCountingOwner : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    ULONG refs = 1;
};

class CRecordingTarget : public CShellDropTarget {
public:
    bool OnDrop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect) override {
        ++drops;
        lastFormat = format->cfFormat;
        lastText = Text(medium->hGlobal);
        return answer;
    }
    int drops = 0;
    CLIPFORMAT lastFormat = 0;
    std::string lastText;
    bool answer = true;
};

class DragDrop : public testing::Test {
protected:
    void SetUp() override {
        OleInitialize(nullptr);
        data = new CShellDataObject;
        data->AddRef();
        STGMEDIUM medium{TYMED_HGLOBAL, {nullptr}, nullptr};
        medium.hGlobal = Block("first");
        FORMATETC text = Format(CF_TEXT);
        ASSERT_EQ(S_OK, data->SetData(&text, &medium, TRUE));
        medium.hGlobal = Block("second");
        FORMATETC drop = Format(CF_HDROP);
        ASSERT_EQ(S_OK, data->SetData(&drop, &medium, TRUE));
    }
    void TearDown() override {
        if (data)
            data->Release();
        OleUninitialize();
    }
    CShellDataObject* data = nullptr;
};

TEST_F(DragDrop, TheDataObjectAnswersEachQueryWithItsOwnCode) {
    struct Case {
        const char* name;
        FORMATETC format;
        HRESULT query, get;
    } cases[] = {
        {"a stored format", Format(CF_TEXT), S_OK, S_OK},
        {"the second stored format", Format(CF_HDROP), S_OK, S_OK},
        {"another aspect", Format(CF_TEXT, TYMED_HGLOBAL, DVASPECT_ICON), DV_E_DVASPECT,
         DV_E_FORMATETC},
        {"another medium", Format(CF_TEXT, TYMED_ISTREAM), DV_E_TYMED, DV_E_FORMATETC},
        {"a format not stored", Format(CF_BITMAP), DV_E_CLIPFORMAT, DV_E_FORMATETC},
        {"any medium of the right format", Format(CF_TEXT, TYMED_HGLOBAL | TYMED_ISTREAM), S_OK,
         S_OK},
    };
    for (Case& c : cases) {
        EXPECT_EQ(c.query, data->QueryGetData(&c.format)) << c.name;
        STGMEDIUM medium{};
        EXPECT_EQ(c.get, data->GetData(&c.format, &medium)) << c.name;
        if (c.get == S_OK)
            ReleaseStgMedium(&medium);
        else
            EXPECT_EQ(nullptr, medium.hGlobal) << c.name;
    }
    EXPECT_EQ(E_INVALIDARG, data->QueryGetData(nullptr));
    STGMEDIUM medium{};
    EXPECT_EQ(E_INVALIDARG, data->GetData(nullptr, &medium));
    FORMATETC text = Format(CF_TEXT);
    EXPECT_EQ(E_INVALIDARG, data->GetData(&text, nullptr));
    EXPECT_EQ(E_NOTIMPL, data->GetDataHere(&text, &medium));
    FORMATETC out;
    EXPECT_EQ(DATA_S_SAMEFORMATETC, data->GetCanonicalFormatEtc(&text, &out));
    EXPECT_EQ(E_INVALIDARG, data->GetCanonicalFormatEtc(&text, nullptr));
    EXPECT_EQ(OLE_E_ADVISENOTSUPPORTED, data->DAdvise(&text, 0, nullptr, nullptr));
    EXPECT_EQ(E_NOTIMPL, data->DUnadvise(0));
    IEnumFORMATETC* set = nullptr;
    EXPECT_EQ(E_NOTIMPL, data->EnumFormatEtc(DATADIR_SET, &set));
    EXPECT_EQ(E_POINTER, data->EnumFormatEtc(DATADIR_GET, nullptr));

    // Each answer is a copy; the first of two equal formats answers.
    ASSERT_EQ(S_OK, data->GetData(&text, &medium));
    EXPECT_EQ("first", Text(medium.hGlobal));
    ReleaseStgMedium(&medium);
    STGMEDIUM again{TYMED_HGLOBAL, {nullptr}, nullptr};
    again.hGlobal = Block("later");
    ASSERT_EQ(S_OK, data->SetData(&text, &again, FALSE));
    EXPECT_EQ("later", Text(again.hGlobal)) << "without release the caller keeps its medium";
    GlobalFree(again.hGlobal);
    ASSERT_EQ(S_OK, data->GetData(&text, &medium));
    EXPECT_EQ("first", Text(medium.hGlobal));
    ReleaseStgMedium(&medium);
}

TEST_F(DragDrop, TheLastReleaseFreesEveryMediumTheObjectOwns) {
    CShellDataObject* object = new CShellDataObject;
    object->AddRef();
    HGLOBAL owned = Block("owned");
    STGMEDIUM medium{TYMED_HGLOBAL, {nullptr}, nullptr};
    medium.hGlobal = owned;
    FORMATETC text = Format(CF_TEXT);
    ASSERT_EQ(S_OK, object->SetData(&text, &medium, TRUE));
    object->AddRef();
    object->Release();
    EXPECT_NE(0u, GlobalSize(owned)) << "still held";
    EXPECT_EQ(0u, object->Release());
    EXPECT_EQ(0u, GlobalSize(owned)) << "freed with the object";
}

TEST_F(DragDrop, TheEnumeratorSkipsToTheEndClonesItsPlaceAndStops) {
    IEnumFORMATETC* formats = nullptr;
    ASSERT_EQ(S_OK, data->EnumFormatEtc(DATADIR_GET, &formats));
    FORMATETC got[3] = {};
    ULONG fetched = 99;
    EXPECT_EQ(S_OK, formats->Next(1, got, &fetched));
    EXPECT_EQ(1u, fetched);
    EXPECT_EQ(CF_TEXT, got[0].cfFormat);
    IEnumFORMATETC* clone = nullptr;
    ASSERT_EQ(S_OK, formats->Clone(&clone));
    EXPECT_EQ(S_OK, clone->Next(1, got, nullptr)) << "one at a time needs no count";
    EXPECT_EQ(CF_HDROP, got[0].cfFormat) << "the clone goes on from the same place";
    EXPECT_EQ(S_FALSE, formats->Next(2, got, nullptr)) << "more than one needs a count";
    EXPECT_EQ(S_FALSE, formats->Next(3, got, &fetched));
    EXPECT_EQ(1u, fetched) << "fewer than asked";
    formats->Reset();
    EXPECT_EQ(S_FALSE, formats->Skip(3));
    EXPECT_EQ(S_OK, formats->Skip(2)) << "exactly to the end";
    fetched = 99;
    EXPECT_EQ(S_FALSE, formats->Next(1, got, &fetched));
    EXPECT_EQ(0u, fetched);
    EXPECT_EQ(S_FALSE, formats->Next(0, got, &fetched));
    EXPECT_EQ(E_POINTER, formats->Clone(nullptr));
    clone->Release();
    formats->Release();
}

TEST_F(DragDrop, TheDropSourceDropsOnReleaseAndCancelsOnEscape) {
    CShellDropSource* source = new CShellDropSource;
    source->AddRef();
    EXPECT_EQ(DRAGDROP_S_CANCEL, source->QueryContinueDrag(TRUE, MK_LBUTTON));
    EXPECT_EQ(S_OK, source->QueryContinueDrag(FALSE, MK_LBUTTON));
    EXPECT_EQ(S_OK, source->QueryContinueDrag(FALSE, MK_RBUTTON | MK_CONTROL));
    EXPECT_EQ(DRAGDROP_S_DROP, source->QueryContinueDrag(FALSE, 0));
    EXPECT_EQ(DRAGDROP_S_DROP, source->QueryContinueDrag(FALSE, MK_SHIFT));
    EXPECT_EQ(DRAGDROP_S_USEDEFAULTCURSORS, source->GiveFeedback(DROPEFFECT_COPY));
    IUnknown* unknown = nullptr;
    EXPECT_EQ(S_OK, source->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    unknown->Release();
    IDataObject* wrong = reinterpret_cast<IDataObject*>(1);
    EXPECT_EQ(E_NOINTERFACE,
              source->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&wrong)));
    EXPECT_EQ(nullptr, wrong);
    EXPECT_EQ(0u, source->Release());
}

TEST_F(DragDrop, TheDropTargetMatchesTheFirstFormatAndChoosesTheEffect) {
    CRecordingTarget* target = new CRecordingTarget;
    target->AddRef();
    target->AddAcceptedFormat(CF_BITMAP);
    target->AddAcceptedFormat(CF_HDROP);
    target->AddAcceptedFormat(CF_TEXT);
    const POINTL at{0, 0};
    struct Case {
        const char* name;
        DWORD keys, allowed, effect;
        int drops;
    } cases[] = {
        {"no keys move", 0, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, DROPEFFECT_MOVE,
         1},
        {"ctrl copies", MK_CONTROL, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_COPY, 1},
        {"ctrl+shift links", MK_CONTROL | MK_SHIFT, DROPEFFECT_LINK, DROPEFFECT_LINK, 1},
        {"ctrl on a move-only source", MK_CONTROL, DROPEFFECT_MOVE, 0, 0},
    };
    for (const Case& c : cases) {
        target->drops = 0;
        DWORD effect = c.allowed;
        ASSERT_EQ(S_OK, target->DragEnter(data, c.keys, at, &effect));
        EXPECT_TRUE(target->FormatAccepted()) << c.name;
        ASSERT_NE(nullptr, target->MatchedFormat());
        EXPECT_EQ(CF_HDROP, target->MatchedFormat()->cfFormat) << "the first accepted one offered";
        EXPECT_EQ(c.effect, effect) << c.name;
        effect = c.allowed;
        ASSERT_EQ(S_OK, target->Drop(data, c.keys, at, &effect));
        EXPECT_EQ(c.effect, effect) << c.name;
        EXPECT_EQ(c.drops, target->drops) << c.name;
        EXPECT_FALSE(target->FormatAccepted());
    }
    EXPECT_EQ("second", target->lastText);
    DWORD effect = DROPEFFECT_MOVE;
    EXPECT_EQ(E_INVALIDARG, target->DragEnter(nullptr, 0, at, &effect));
    EXPECT_EQ(E_INVALIDARG, target->Drop(nullptr, 0, at, &effect));
    // Nothing offered that the target takes.
    CRecordingTarget* picky = new CRecordingTarget;
    picky->AddRef();
    picky->AddAcceptedFormat(CF_BITMAP);
    effect = DROPEFFECT_MOVE;
    picky->DragEnter(data, 0, at, &effect);
    EXPECT_FALSE(picky->FormatAccepted());
    EXPECT_EQ(0u, effect);
    picky->Release();
    target->DragLeave();
    EXPECT_EQ(0u, target->Release());
}

TEST_F(DragDrop, ARefusedDropStillReleasesItsMedium) {
    CCountingOwner owner;
    CShellDataObject* object = new CShellDataObject;
    object->AddRef();
    STGMEDIUM medium{TYMED_HGLOBAL, {nullptr}, &owner};
    medium.hGlobal = Block("owned elsewhere");
    FORMATETC drop = Format(CF_HDROP);
    ASSERT_EQ(S_OK, object->SetData(&drop, &medium, TRUE)); // takes the owner's reference
    CRecordingTarget* target = new CRecordingTarget;
    target->AddRef();
    target->AddAcceptedFormat(CF_HDROP);
    for (bool answer : {false, true}) {
        target->answer = answer;
        const ULONG before = owner.refs;
        DWORD effect = DROPEFFECT_COPY;
        const POINTL at{0, 0};
        target->DragEnter(object, MK_CONTROL, at, &effect);
        effect = DROPEFFECT_COPY;
        target->Drop(object, MK_CONTROL, at, &effect);
        EXPECT_EQ(1, target->drops - (answer ? 1 : 0));
        EXPECT_EQ(before, owner.refs) << "the copy handed to the drop was released: " << answer;
    }
    target->Release();
    object->Release();
    EXPECT_EQ(0u, owner.refs);
    GlobalFree(medium.hGlobal);
}

TEST_F(DragDrop, TheClipboardGivesBackWhatWasPutOnIt) {
    ASSERT_EQ(S_OK, OleSetClipboard(data));
    IDataObject* pasted = nullptr;
    ASSERT_EQ(S_OK, OleGetClipboard(&pasted));
    FORMATETC drop = Format(CF_HDROP);
    STGMEDIUM medium{};
    ASSERT_EQ(S_OK, pasted->GetData(&drop, &medium));
    EXPECT_EQ("second", Text(medium.hGlobal));
    ReleaseStgMedium(&medium);
    pasted->Release();
    EXPECT_EQ(S_OK, OleSetClipboard(nullptr));
}

} // namespace
