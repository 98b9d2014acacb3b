// The program's objects with static storage. They are defined in this one
// unit because their construction order matters: the instance list object
// first (it enters the process in the product's list of running copies),
// then the application object, then the setup state.
#include "app/SetupState.h"
#include "app/SetupApp.h"
#include "instances/InstanceManager.h"

COXInstanceManager g_InstanceManager("Quorvane.PictavoPro.v4", 1024);
CSetupApp theApp;

CString g_strInstallDir;
CString g_strSourceDir;
CString g_strGroupName;

int g_bSilent = 0;
int g_bDesktopIcon = 1;
int g_bAutoStart = 0;
int g_bAllUsers = 0;
int g_bRunAfter = 0;
int g_bFreshInstall = 0;
int g_bUpgrade = 0;

int g_nVerMajor = 0;
int g_nVerMinor = 0;
int g_nVerRelease = 0;
int g_nVerBuild = 0;

PFN_ISWOW64PROCESS g_pfnIsWow64Process =
    reinterpret_cast<PFN_ISWOW64PROCESS>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process")));

CString g_strNextCaption;
CString g_strCancelCaption;
