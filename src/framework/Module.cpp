#include "framework/Module.h"

AFX_MODULE_STATE* AfxGetModuleState()
{
    static AFX_MODULE_STATE s_state = { GetModuleHandleA(nullptr), GetModuleHandleA(nullptr) };
    return &s_state;
}

HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }
HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }
void AfxSetResourceHandle(HINSTANCE hResource) { AfxGetModuleState()->m_hCurrentResourceHandle = hResource; }
