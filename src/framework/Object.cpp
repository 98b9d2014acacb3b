#include "framework/Object.h"

const CRuntimeClass CObject::classCObject = { "CObject", (int)sizeof(CObject), 0xFFFF, nullptr, nullptr };

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const
{
    for (const CRuntimeClass* p = this; p; p = p->m_pBaseClass)
        if (p == pBaseClass)
            return TRUE;
    return FALSE;
}

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}
