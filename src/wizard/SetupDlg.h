// CSetupDlg: the wizard frame. A modal dialog (template IDD_SETUP) that
// hosts one page at a time as a modeless child beside the side picture and
// leads through welcome, agreement, destination, program group and ready;
// from the ready page it runs the installation itself, then shows the
// finished state. DoModal returns IDOK after Finish and IDCANCEL after a
// confirmed cancel.
//
// The page protocol: a page object is allocated with the frame as parent
// and its window created with Create(template, frame), hidden; the frame
// leaves a page by calling its DestroyWindow, which a page with settings
// overrides to check and store them (zero keeps the page), and deletes the
// object after a successful leave. The ready page stays from the ready
// state to the end; it serves the installing and finished states.
#pragma once
#include "framework/Framework.h"

class CSetupDlg : public CDialog {
public:
    explicit CSetupDlg(CWnd* pParent = nullptr);
    ~CSetupDlg() override;

    CButton m_btnCancel;      // control 2
    CStatic m_stcPicture;     // control 1002, the side picture
    CButton m_btnBack;        // control 3
    CButton m_btnNext;        // control 1, Next and later Finish
    int m_nPage = -1;         // the state shown; see the page numbers below
    CDialog* m_pPage = nullptr;
    CString m_strTitle;       // the frame caption as the first page found it

    // Page numbers: 0 welcome, 1 agreement, 2 destination, 3 program group,
    // 4 ready, 5 installing and then finished (the same ready page),
    // 6 closing.
    enum { kWelcome = 0, kAgreement, kDestination, kGroup, kReady, kInstalling, kClosing };

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    // Remembers the template's Next and Cancel captions and shows page 0.
    BOOL OnInitDialog() override;
    // Next (and Enter): leaves the page and shows the next state; on the
    // ready page it installs; on the finished state it is Finish.
    void OnOK() override;
    // Cancel, Escape and the close box: asks, and ends with IDCANCEL on Yes.
    void OnCancel() override;
    // Back: leaves the page and shows the previous one.
    void OnBack();

private:
    // Calls the page's DestroyWindow and deletes it when the page lets
    // itself be left. FALSE when the page refused.
    BOOL LeavePage();
    // Shows state nPage (steps after the page was left).
    void EnterPage(int nPage);
    // Moves the page beside the picture and shows it.
    void PlacePage();
    void RunInstallingState();
    void Finish();
};
