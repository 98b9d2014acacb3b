// The application object. The whole life of the program takes place in
// its InitInstance: it chooses the mode from the file name and the command
// line and hands over to the setup run, the uninstall launcher or, in the
// clean-up copy, the uninstall run. The program has no main window of its
// own; the only modal loops are the wizard's and those of message boxes.
//
//   install mode   the file name contains "setup.exe" (in any case, folder
//                  names included), or argument 1 is "-install" (any case)
//   uninstall mode any other file name, normally PtvUnInst.exe
//   clean-up mode  argument 1 is "-delself" (exact case) and an argument 2,
//                  the uninstaller's path, follows
//
// "-s" in any case as any argument makes the run silent. Exit codes: 0 on
// every road, except a damaged setup (1, from the setup run).
#pragma once
#include "framework/App.h"

class CSetupApp : public CWinApp {
public:
    CSetupApp() = default;
    BOOL InitInstance() override;
    DECLARE_MESSAGE_MAP()
};

extern CSetupApp theApp;
