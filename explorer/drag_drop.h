// The program's own drag-and-drop objects: a data object that holds whatever
// formats its owner puts in, the enumerator of its formats, the drop source
// of a drag, and the base of the windows' drop targets. All four live on the
// user-interface thread, so their reference counts are plain integers; each
// starts at 0, the creator calls AddRef once, and the last Release deletes.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <oleidl.h>
#include <shlobj.h>

#include <vector>

class CShellDataObject : public IDataObject {
public:
    CShellDataObject() = default;
    virtual ~CShellDataObject();
    CShellDataObject(const CShellDataObject&) = delete;
    CShellDataObject& operator=(const CShellDataObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** result) override;
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override;
    STDMETHODIMP DUnadvise(DWORD) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override;

private:
    ULONG m_refs = 0;
    std::vector<FORMATETC*> m_formats; // owned, in the order they were set
    std::vector<STGMEDIUM*> m_media;   // owned; entry i belongs to format i
};

class CFormatEtcEnum : public IEnumFORMATETC {
public:
    CFormatEtcEnum(const FORMATETC* formats, size_t count, size_t position);
    virtual ~CFormatEtcEnum() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Next(ULONG count, FORMATETC* out, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumFORMATETC** result) override;

private:
    ULONG m_refs = 0;
    std::vector<FORMATETC> m_formats;
    size_t m_position = 0;
};

class CShellDropSource : public IDropSource {
public:
    virtual ~CShellDropSource() = default;
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD keys) override;
    STDMETHODIMP GiveFeedback(DWORD effect) override;

private:
    ULONG m_refs = 0;
};

// The base of the drop targets: it matches the offered data against the
// accepted formats, in order, and hands a drop to OnDrop. The medium of a
// drop is always released afterwards, whether or not OnDrop used it.
class CShellDropTarget : public IDropTarget {
public:
    virtual ~CShellDropTarget();

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragLeave() override;
    STDMETHODIMP Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

    // The owner's handler: the matched format, its medium and the effect
    // chosen; returns whether it used the data.
    virtual bool OnDrop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect) = 0;
    // Narrows *effect for the keys; false when no effect remains.
    virtual bool ChooseEffect(DWORD keys, DWORD* effect);

    void SetTargetWindow(HWND window) { m_targetWindow = window; }
    HWND TargetWindow() const { return m_targetWindow; }
    void AddAcceptedFormat(CLIPFORMAT format);
    void SetDropTargetHelper(IDropTargetHelper* helper);
    bool FormatAccepted() const { return m_accepted; }
    const FORMATETC* MatchedFormat() const { return m_matched; }

private:
    ULONG m_refs = 0;
    HWND m_targetWindow = nullptr;
    std::vector<FORMATETC> m_acceptedFormats;
    bool m_accepted = false;
    const FORMATETC* m_matched = nullptr;
    IDropTargetHelper* m_helper = nullptr;
};
