// Maps from Windows handles to the C++ objects that wrap them, one set per thread.
//
// A permanent entry is made by Attach and lasts until Detach. FromHandle of a
// handle that has no permanent object makes a temporary one; temporaries last
// until the thread's message loop next runs idle (AfxDeleteTempMaps), so a
// pointer got from FromHandle must not be kept beyond the current message.
#pragma once
#include "afxdefs.h"
#include <unordered_map>
#include <vector>

// The calling thread's object of type T, made on first use and never
// destroyed (so that objects outliving the thread's static data can still
// use it). Kept in a slot of the system's thread-local storage: cheaper
// than the compiler's thread_local where that goes through a runtime's
// emulation. The thread's last error is left alone.
template <class T> T& AfxThreadObject()
{
    static const DWORD slot = ::TlsAlloc();
    const DWORD nError = ::GetLastError();
    auto* p = static_cast<T*>(::TlsGetValue(slot));
    ::SetLastError(nError);
    if (!p) {
        p = new T;
        ::TlsSetValue(slot, p);
    }
    return *p;
}

class CHandleMapBase {
public:
    virtual void DeleteTemp() = 0;

protected:
    CHandleMapBase();
    ~CHandleMapBase() = default;
};

// Deletes the temporary objects of every handle map of the calling thread.
void AfxDeleteTempMaps();

// H: the handle type; T: the wrapper, default-constructible, with its handle in
// member Handle.
template <class H, class T, H T::*Handle>
class CHandleMap : public CHandleMapBase {
public:
    // The calling thread's map (never destroyed, so objects that outlive the
    // thread's static data can still detach themselves).
    static CHandleMap& ForThread()
    {
        return AfxThreadObject<CHandleMap>();
    }

    T* LookupPermanent(H h) const
    {
        auto it = m_permanent.find(h);
        return it == m_permanent.end() ? nullptr : it->second;
    }
    T* LookupTemporary(H h) const
    {
        auto it = m_temporary.find(h);
        return it == m_temporary.end() ? nullptr : it->second;
    }
    void SetPermanent(H h, T* p) { m_permanent[h] = p; }
    void RemoveHandle(H h)
    {
        m_permanent.erase(h);
        auto it = m_temporary.find(h);
        if (it != m_temporary.end()) {
            it->second->*Handle = nullptr;
            delete it->second;
            m_temporary.erase(it);
        }
    }

    T* FromHandle(H h)
    {
        if (!h) return nullptr;
        if (T* p = LookupPermanent(h)) return p;
        if (T* p = LookupTemporary(h)) return p;
        T* p = new T;
        p->*Handle = h;
        m_temporary[h] = p;
        return p;
    }

    void DeleteTemp() override
    {
        auto temps = std::move(m_temporary);
        m_temporary.clear();
        for (auto& [h, p] : temps) {
            p->*Handle = nullptr;
            delete p;
        }
    }

private:
    friend CHandleMap& AfxThreadObject<CHandleMap>();
    CHandleMap() = default;
    std::unordered_map<H, T*> m_permanent;
    std::unordered_map<H, T*> m_temporary;
};
