// CObject and run-time class information.
//
//   class CThing : public CObject { DECLARE_DYNAMIC(CThing) ... };   // in the header
//   IMPLEMENT_DYNAMIC(CThing, CObject)                               // in one source
//   p->IsKindOf(RUNTIME_CLASS(CThing))
//
// DECLARE_DYNCREATE/IMPLEMENT_DYNCREATE add a creation function reachable through
// CRuntimeClass::CreateObject. Every class of the layer that derives from CObject
// carries its run-time class, so IsKindOf and DYNAMIC_DOWNCAST work on them all.
#pragma once
#include "afxdefs.h"

class CObject;

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject* (*m_pfnCreateObject)();
    CRuntimeClass* m_pBaseClass;

    // A new object of this class, or NULL when the class has no creation function.
    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

class CObject {
public:
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    BOOL IsKindOf(const CRuntimeClass* pClass) const;

    static CRuntimeClass classCObject;

protected:
    CObject() = default;

private:
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                          \
public:                                                      \
    static CRuntimeClass class##class_name;                  \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name)                        \
    DECLARE_DYNAMIC(class_name)                              \
    static CObject* CreateObject();

#define AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_name, pfnNew)                 \
    CRuntimeClass class_name::class##class_name = {                               \
        #class_name, static_cast<int>(sizeof(class_name)), 0xFFFF, pfnNew,        \
        RUNTIME_CLASS(base_name)};                                                \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_name) \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_name)                       \
    CObject* class_name::CreateObject() { return new class_name; }       \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_name, class_name::CreateObject)

// The object when it is of the class (or derived from it), else NULL.
inline CObject* AfxDynamicDownCast(CRuntimeClass* pClass, CObject* pObject)
{
    return pObject && pObject->IsKindOf(pClass) ? pObject : nullptr;
}
#define DYNAMIC_DOWNCAST(class_name, object) \
    (static_cast<class_name*>(AfxDynamicDownCast(RUNTIME_CLASS(class_name), object)))
#define STATIC_DOWNCAST(class_name, object) (static_cast<class_name*>(object))
