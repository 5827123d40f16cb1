// The COM client smart pointer: reference counting, out-parameters, queries
// and creation.
#include "ui/com_ptr.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <shobjidl.h>

namespace {

// {6A1F3E1C-2B7D-4C55-9E3A-0D5F1B2C3A41}
const IID IID_ICounterProbe = {
    0x6a1f3e1c, 0x2b7d, 0x4c55, {0x9e, 0x3a, 0x0d, 0x5f, 0x1b, 0x2c, 0x3a, 0x41}};

struct ICounterProbe : IUnknown {
    virtual int STDMETHODCALLTYPE Value() = 0;
};

// An object whose reference count the test can read, alive or not.
class CProbeObject final : public ICounterProbe {
public:
    explicit CProbeObject(LONG* refs) : m_refs(refs) { *m_refs = 1; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** pp) override {
        if (pp == NULL)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ICounterProbe)) {
            *pp = static_cast<ICounterProbe*>(this);
            AddRef();
            return S_OK;
        }
        *pp = NULL;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)++ * m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = --*m_refs;
        if (n == 0)
            delete this;
        return (ULONG)n;
    }
    int STDMETHODCALLTYPE Value() override { return 42; }

private:
    LONG* m_refs;
};

// Hands out a new reference through an out-parameter, as COM functions do.
HRESULT MakeProbe(LONG* refs, ICounterProbe** out) {
    *out = new CProbeObject(refs);
    return S_OK;
}

TEST(ComPtr, HoldsExactlyOneReferenceThroughItsLife) {
    LONG a = 0, b = 0;
    {
        CComPtr<ICounterProbe> p;
        ASSERT_EQ(MakeProbe(&a, &p), S_OK);
        EXPECT_EQ(a, 1);
        EXPECT_EQ(p->Value(), 42);
        {
            CComPtr<ICounterProbe> copy(p);
            EXPECT_EQ(a, 2);
            CComPtr<ICounterProbe> moved(std::move(copy));
            EXPECT_EQ(a, 2);
            EXPECT_TRUE(!copy);
        }
        EXPECT_EQ(a, 1);
        // Reusing the slot for a second out-parameter releases the first object.
        ASSERT_EQ(MakeProbe(&b, &p), S_OK);
        EXPECT_EQ(a, 0);
        EXPECT_EQ(b, 1);
        CComPtr<ICounterProbe>& same = p;
        p = same; // self-assignment keeps the object
        EXPECT_EQ(b, 1);
        ICounterProbe* raw = p.Detach();
        EXPECT_TRUE(!p);
        EXPECT_EQ(b, 1);
        p.Attach(raw); // takes the reference over without adding one
        EXPECT_EQ(b, 1);
        ICounterProbe* extra = NULL;
        ASSERT_EQ(p.CopyTo(&extra), S_OK);
        EXPECT_EQ(b, 2);
        extra->Release();
    }
    EXPECT_EQ(b, 0);
}

TEST(ComPtr, QueryInterfaceGivesOwnReferenceOrNothing) {
    LONG refs = 0;
    CComPtr<ICounterProbe> p;
    ASSERT_EQ(MakeProbe(&refs, &p), S_OK);
    {
        CComPtr<IUnknown> unk;
        ASSERT_EQ(p.QueryInterface(IID_IUnknown, unk), S_OK);
        EXPECT_EQ(refs, 2);
        IPersistFile* file = (IPersistFile*)1;
        EXPECT_EQ(p.QueryInterface(IID_IPersistFile, &file), E_NOINTERFACE);
        EXPECT_EQ(file, nullptr);
        EXPECT_EQ(refs, 2);
    }
    EXPECT_EQ(refs, 1);
    CComPtr<ICounterProbe> empty;
    IUnknown* none = (IUnknown*)1;
    EXPECT_EQ(empty.QueryInterface(IID_IUnknown, &none), E_POINTER);
    EXPECT_EQ(none, nullptr);
}

TEST(ComPtr, CreatesSystemObjectsAndReportsUnknownClasses) {
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(NULL)));
    {
        CComPtr<IShellLinkA> link;
        ASSERT_EQ(link.CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER), S_OK);
        ASSERT_TRUE(link != nullptr);
        EXPECT_EQ(link->SetDescription("probe"), S_OK);
        CComPtr<IPersistFile> file;
        EXPECT_EQ(link.QueryInterface(&file), S_OK);
        EXPECT_TRUE(file != nullptr);

        // {00000000-1111-2222-3333-444455556666}: registered nowhere.
        const CLSID bogus = {0, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
        EXPECT_TRUE(FAILED(link.CoCreateInstance(bogus, IID_IShellLinkA)));
        EXPECT_TRUE(!link); // the previous object was released, nothing new held
    }
    ::CoUninitialize();
}

} // namespace
