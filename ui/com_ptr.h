// A client-side smart pointer for COM interfaces: it holds one reference,
// releases it when destroyed or reassigned, and hands out its slot for
// functions that return an interface through an out-parameter.
#pragma once

#include <objbase.h>
#include <unknwn.h>

template <class T> class CComPtr {
public:
    T* p = NULL;

    CComPtr() = default;
    CComPtr(T* lp) : p(lp) {
        if (p != NULL)
            p->AddRef();
    }
    CComPtr(const CComPtr& other) : CComPtr(other.p) {}
    CComPtr(CComPtr&& other) noexcept : p(other.p) { other.p = NULL; }
    ~CComPtr() { Release(); }

    CComPtr& operator=(T* lp) {
        if (lp != NULL)
            lp->AddRef();
        T* old = p;
        p = lp;
        if (old != NULL)
            old->Release();
        return *this;
    }
    CComPtr& operator=(const CComPtr& other) { return *this = other.p; }
    CComPtr& operator=(CComPtr&& other) noexcept {
        if (this != &other) {
            Release();
            p = other.p;
            other.p = NULL;
        }
        return *this;
    }

    operator T*() const { return p; }
    T* operator->() const { return p; }
    T& operator*() const { return *p; }
    bool operator!() const { return p == NULL; }

    // The slot for an out-parameter. A pointer still held is released first,
    // so reusing the smart pointer for a second call does not leak.
    T** operator&() {
        Release();
        return &p;
    }

    void Release() {
        T* old = p;
        p = NULL;
        if (old != NULL)
            old->Release();
    }
    // Takes over a reference without adding one.
    void Attach(T* lp) {
        Release();
        p = lp;
    }
    // Gives up the reference without releasing it.
    T* Detach() {
        T* old = p;
        p = NULL;
        return old;
    }
    // A new reference for the caller.
    HRESULT CopyTo(T** pp) const {
        if (pp == NULL)
            return E_POINTER;
        *pp = p;
        if (p != NULL)
            p->AddRef();
        return S_OK;
    }

    HRESULT CoCreateInstance(REFCLSID clsid, REFIID iid, IUnknown* outer = NULL,
                             DWORD context = CLSCTX_ALL) {
        Release();
        return ::CoCreateInstance(clsid, outer, context, iid, (void**)&p);
    }
    // The same for T's own interface id (T must have one declared for __uuidof).
    HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer = NULL, DWORD context = CLSCTX_ALL) {
        return CoCreateInstance(clsid, __uuidof(T), outer, context);
    }
    // Asks the held object for another interface; the result holds its own reference.
    template <class Q> HRESULT QueryInterface(REFIID iid, Q** pp) const {
        if (pp == NULL)
            return E_POINTER;
        *pp = NULL;
        if (p == NULL)
            return E_POINTER;
        return p->QueryInterface(iid, (void**)pp);
    }
    template <class Q> HRESULT QueryInterface(REFIID iid, CComPtr<Q>& out) const {
        return QueryInterface(iid, &out);
    }
    template <class Q> HRESULT QueryInterface(Q** pp) const {
        return QueryInterface(__uuidof(Q), pp);
    }
};
