// Message maps: tables that route command notifications (WM_COMMAND with a
// control id and a notification code) to member functions.
//
//   class CMyDlg : public CDialog { ... DECLARE_MESSAGE_MAP() };
//   BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//       ON_BN_CLICKED(IDC_BROWSE, &CMyDlg::OnBrowse)
//   END_MESSAGE_MAP()
//
// A class's map is searched first, then its base class's map.
#pragma once
#include "framework/Object.h"

class CCmdTarget;
typedef void (CCmdTarget::*AFX_PMSG)();

struct AFX_MSGMAP_ENTRY {
    UINT nCode;     // notification code (BN_CLICKED, or 0 for a menu/accelerator command)
    UINT nID;       // control or command id
    AFX_PMSG pfn;   // null ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    // Calls the handler of (nID, nCode) from the message maps; TRUE when
    // one was found.
    virtual BOOL OnCmdMsg(UINT nID, int nCode);
protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

#define DECLARE_MESSAGE_MAP()                                   \
protected:                                                      \
    static const AFX_MSGMAP* GetThisMessageMap();               \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                  \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                             \
    {                                                                           \
        [[maybe_unused]] typedef theClass ThisClass;                            \
        typedef baseClass TheBaseClass;                                         \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                       \
            { 0, 0, nullptr }                                                   \
        };                                                                      \
        static const AFX_MSGMAP messageMap = { &TheBaseClass::GetThisMessageMap, _messageEntries }; \
        return &messageMap;                                                     \
    }

#define ON_COMMAND(id, memberFxn) \
    { 0, (UINT)(id), static_cast<AFX_PMSG>(memberFxn) },
#define ON_BN_CLICKED(id, memberFxn) \
    { BN_CLICKED, (UINT)(id), static_cast<AFX_PMSG>(memberFxn) },
