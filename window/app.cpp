// The application object's life cycle and its run.
#include "window/app.h"

#include <commctrl.h>

namespace {

WinApp* g_application = nullptr;

}  // namespace

WinApp::WinApp()
{
    g_application = this;
}

WinApp::~WinApp()
{
    g_application = nullptr;
}

WinApp& WinApp::Current()
{
    return *g_application;
}

void WinApp::EnableVisualStyles() const
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

int RunApplication(HINSTANCE instance)
{
    WinApp& application = WinApp::Current();
    application.m_instance = instance;
    application.InitInstance();
    return 0;
}
