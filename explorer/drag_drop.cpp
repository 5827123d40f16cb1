#include "explorer/drag_drop.h"

#include <new>

#include "explorer/logic/drop_effects.h"

namespace {

// A copy of a medium for GetData or SetData without release: memory, file,
// bitmap and metafile handles are duplicated, streams and storages shared.
bool CopyMedium(const STGMEDIUM& from, CLIPFORMAT format, STGMEDIUM* to) {
    *to = from;
    switch (from.tymed) {
    case TYMED_HGLOBAL:
    case TYMED_FILE:
    case TYMED_GDI:
    case TYMED_MFPICT:
    case TYMED_ENHMF:
        to->hGlobal = static_cast<HGLOBAL>(OleDuplicateData(from.hGlobal, format, 0));
        if (!to->hGlobal)
            return false;
        break;
    case TYMED_ISTREAM:
        if (from.pstm)
            from.pstm->AddRef();
        break;
    case TYMED_ISTORAGE:
        if (from.pstg)
            from.pstg->AddRef();
        break;
    default:
        break;
    }
    if (to->pUnkForRelease)
        to->pUnkForRelease->AddRef();
    return true;
}

} // namespace

// --- CShellDataObject ----------------------------------------------------------

CShellDataObject::~CShellDataObject() {
    for (STGMEDIUM* medium : m_media) {
        ReleaseStgMedium(medium);
        delete medium;
    }
    for (FORMATETC* format : m_formats)
        delete format;
}

STDMETHODIMP CShellDataObject::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDataObject) {
        *object = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CShellDataObject::AddRef() {
    return ++m_refs;
}

STDMETHODIMP_(ULONG) CShellDataObject::Release() {
    const ULONG refs = --m_refs;
    if (refs == 0)
        delete this;
    return refs;
}

STDMETHODIMP CShellDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (!format || !medium)
        return E_INVALIDARG;
    medium->hGlobal = nullptr;
    for (size_t i = 0; i < m_formats.size(); ++i) {
        const FORMATETC& stored = *m_formats[i];
        if (stored.cfFormat == format->cfFormat && stored.dwAspect == format->dwAspect &&
            (stored.tymed & format->tymed)) {
            return CopyMedium(*m_media[i], stored.cfFormat, medium) ? S_OK : E_OUTOFMEMORY;
        }
    }
    return DV_E_FORMATETC;
}

STDMETHODIMP CShellDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) {
    return E_NOTIMPL;
}

STDMETHODIMP CShellDataObject::QueryGetData(FORMATETC* format) {
    if (!format)
        return E_INVALIDARG;
    if (!(format->dwAspect & DVASPECT_CONTENT))
        return DV_E_DVASPECT;
    HRESULT result = DV_E_TYMED;
    for (const FORMATETC* stored : m_formats) {
        if (stored->tymed & format->tymed) {
            if (stored->cfFormat == format->cfFormat)
                return S_OK;
            result = DV_E_CLIPFORMAT;
        } else {
            result = DV_E_TYMED;
        }
    }
    return result;
}

STDMETHODIMP CShellDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    return out ? DATA_S_SAMEFORMATETC : E_INVALIDARG;
}

STDMETHODIMP CShellDataObject::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) {
    if (!format || !medium)
        return E_INVALIDARG;
    FORMATETC* formatCopy = new (std::nothrow) FORMATETC(*format);
    STGMEDIUM* mediumCopy = new (std::nothrow) STGMEDIUM;
    bool ok = formatCopy && mediumCopy;
    if (ok) {
        if (release)
            *mediumCopy = *medium;
        else
            ok = CopyMedium(*medium, format->cfFormat, mediumCopy);
    }
    if (ok) {
        try {
            m_formats.push_back(formatCopy);
            try {
                m_media.push_back(mediumCopy);
            } catch (...) {
                m_formats.pop_back();
                throw;
            }
        } catch (...) {
            ok = false;
            if (!release)
                ReleaseStgMedium(mediumCopy);
        }
    }
    if (!ok) {
        delete formatCopy;
        delete mediumCopy;
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

STDMETHODIMP CShellDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** result) {
    if (!result)
        return E_POINTER;
    *result = nullptr;
    if (direction != DATADIR_GET)
        return E_NOTIMPL;
    std::vector<FORMATETC> formats;
    for (const FORMATETC* format : m_formats)
        formats.push_back(*format);
    CFormatEtcEnum* enumerator =
        new (std::nothrow) CFormatEtcEnum(formats.data(), formats.size(), 0);
    if (!enumerator)
        return E_OUTOFMEMORY;
    enumerator->AddRef();
    *result = enumerator;
    return S_OK;
}

STDMETHODIMP CShellDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP CShellDataObject::DUnadvise(DWORD) {
    return E_NOTIMPL;
}

STDMETHODIMP CShellDataObject::EnumDAdvise(IEnumSTATDATA**) {
    return OLE_E_ADVISENOTSUPPORTED;
}

// --- CFormatEtcEnum --------------------------------------------------------------

CFormatEtcEnum::CFormatEtcEnum(const FORMATETC* formats, size_t count, size_t position)
    : m_formats(formats, formats + count), m_position(position) {}

STDMETHODIMP CFormatEtcEnum::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IEnumFORMATETC) {
        *object = static_cast<IEnumFORMATETC*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CFormatEtcEnum::AddRef() {
    return ++m_refs;
}

STDMETHODIMP_(ULONG) CFormatEtcEnum::Release() {
    const ULONG refs = --m_refs;
    if (refs == 0)
        delete this;
    return refs;
}

STDMETHODIMP CFormatEtcEnum::Next(ULONG count, FORMATETC* out, ULONG* fetched) {
    if (fetched)
        *fetched = 0;
    if (count == 0 || !out || m_position >= m_formats.size() || (!fetched && count != 1))
        return S_FALSE;
    ULONG copied = 0;
    while (copied < count && m_position < m_formats.size())
        out[copied++] = m_formats[m_position++];
    if (fetched)
        *fetched = copied;
    return copied == count ? S_OK : S_FALSE;
}

STDMETHODIMP CFormatEtcEnum::Skip(ULONG count) {
    if (m_position + count > m_formats.size())
        return S_FALSE;
    m_position += count;
    return S_OK;
}

STDMETHODIMP CFormatEtcEnum::Reset() {
    m_position = 0;
    return S_OK;
}

STDMETHODIMP CFormatEtcEnum::Clone(IEnumFORMATETC** result) {
    if (!result)
        return E_POINTER;
    CFormatEtcEnum* copy =
        new (std::nothrow) CFormatEtcEnum(m_formats.data(), m_formats.size(), m_position);
    *result = copy;
    if (!copy)
        return E_OUTOFMEMORY;
    copy->AddRef();
    return S_OK;
}

// --- CShellDropSource --------------------------------------------------------------

STDMETHODIMP CShellDropSource::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDropSource) {
        *object = static_cast<IDropSource*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CShellDropSource::AddRef() {
    return ++m_refs;
}

STDMETHODIMP_(ULONG) CShellDropSource::Release() {
    const ULONG refs = --m_refs;
    if (refs == 0)
        delete this;
    return refs;
}

STDMETHODIMP CShellDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keys) {
    if (escapePressed)
        return DRAGDROP_S_CANCEL;
    if (keys & (MK_LBUTTON | MK_RBUTTON))
        return S_OK;
    return DRAGDROP_S_DROP;
}

STDMETHODIMP CShellDropSource::GiveFeedback(DWORD) {
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

// --- CShellDropTarget --------------------------------------------------------------

CShellDropTarget::~CShellDropTarget() {
    if (m_helper)
        m_helper->Release();
}

STDMETHODIMP CShellDropTarget::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDropTarget) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CShellDropTarget::AddRef() {
    return ++m_refs;
}

STDMETHODIMP_(ULONG) CShellDropTarget::Release() {
    const ULONG refs = --m_refs;
    if (refs == 0)
        delete this;
    return refs;
}

void CShellDropTarget::AddAcceptedFormat(CLIPFORMAT format) {
    FORMATETC accepted{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    m_acceptedFormats.push_back(accepted);
    m_matched = nullptr; // the vector may have moved
    m_accepted = false;
}

void CShellDropTarget::SetDropTargetHelper(IDropTargetHelper* helper) {
    if (helper)
        helper->AddRef();
    if (m_helper)
        m_helper->Release();
    m_helper = helper;
}

bool CShellDropTarget::ChooseEffect(DWORD keys, DWORD* effect) {
    *effect = ChooseBaseDropEffect(m_accepted, keys, *effect);
    return *effect != 0;
}

STDMETHODIMP CShellDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                         DWORD* effect) {
    if (!data || !effect)
        return E_INVALIDARG;
    if (m_helper) {
        POINT at{point.x, point.y};
        m_helper->DragEnter(m_targetWindow, data, &at, *effect);
    }
    m_matched = nullptr;
    m_accepted = false;
    // The first format the data answers is the one a drop takes.
    for (FORMATETC& format : m_acceptedFormats)
        if (data->QueryGetData(&format) == S_OK) {
            m_matched = &format;
            m_accepted = true;
            break;
        }
    ChooseEffect(keys, effect);
    return S_OK;
}

STDMETHODIMP CShellDropTarget::DragOver(DWORD keys, POINTL point, DWORD* effect) {
    if (!effect)
        return E_INVALIDARG;
    if (m_helper) {
        POINT at{point.x, point.y};
        m_helper->DragOver(&at, *effect);
    }
    ChooseEffect(keys, effect);
    return S_OK;
}

STDMETHODIMP CShellDropTarget::DragLeave() {
    if (m_helper)
        m_helper->DragLeave();
    m_accepted = false;
    m_matched = nullptr;
    return S_OK;
}

STDMETHODIMP CShellDropTarget::Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
    if (!data || !effect)
        return E_INVALIDARG;
    if (m_helper) {
        POINT at{point.x, point.y};
        m_helper->Drop(data, &at, *effect);
    }
    if (ChooseEffect(keys, effect) && m_accepted && m_matched) {
        FORMATETC format = *m_matched;
        STGMEDIUM medium{};
        if (SUCCEEDED(data->GetData(&format, &medium))) {
            OnDrop(&format, &medium, effect);
            // Whether the handler used it or refused it, the medium is ours.
            ReleaseStgMedium(&medium);
        }
    }
    m_accepted = false;
    m_matched = nullptr;
    return S_OK;
}
