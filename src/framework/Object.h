// CObject: the root of the framework's classes, with run-time class
// information at the dynamic level (class name, size, base class; no
// dynamic creation, no serialisation).
#pragma once
#include <windows.h>

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;                 // 0xFFFF: not serialisable
    CObject* (*m_pfnCreateObject)();  // null: no dynamic creation
    const CRuntimeClass* m_pBaseClass;

    // True when this class is pBaseClass or derives from it.
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

class CObject {
public:
    static const CRuntimeClass classCObject;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    BOOL IsKindOf(const CRuntimeClass* pClass) const;
protected:
    CObject() = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                            \
public:                                                        \
    static const CRuntimeClass class##class_name;              \
    const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                          \
    const CRuntimeClass class_name::class##class_name = {                       \
        #class_name, (int)sizeof(class_name), 0xFFFF, nullptr,                  \
        RUNTIME_CLASS(base_class_name) };                                       \
    const CRuntimeClass* class_name::GetRuntimeClass() const                    \
    { return RUNTIME_CLASS(class_name); }
