// The module state: which module the framework takes its instance handle
// and its resources (strings, dialogs, bitmaps) from.
#pragma once
#include <windows.h>

struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentInstanceHandle;
    HINSTANCE m_hCurrentResourceHandle;
};

// The one module state of the process; both handles start as the module of
// the executable.
AFX_MODULE_STATE* AfxGetModuleState();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hResource);
