#include "framework/CmdTarget.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = { { 0, 0, nullptr } };
    static const AFX_MSGMAP map = { nullptr, entries };
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
            // A menu or accelerator command (code 0) and a button click share
            // WM_COMMAND; BN_CLICKED is 0 as well, so both forms match.
            if (e->nID == nID && e->nCode == (UINT)nCode) {
                (this->*e->pfn)();
                return TRUE;
            }
        }
        if (!map->pfnGetBaseMap)
            break;
    }
    return FALSE;
}
