// The application object of a dialog program: exactly one, constructed during
// static initialisation. The program's entry point hands the module to
// RunApplication, which runs its InitInstance; the process ends when that
// returns. Window layer, Win32 only.
#pragma once

#include <windows.h>

class WinApp {
public:
    // Registers this object as the program's one application object.
    WinApp();
    virtual ~WinApp();
    WinApp(const WinApp&) = delete;
    WinApp& operator=(const WinApp&) = delete;

    // The application's whole working life: typically runs its main dialog.
    virtual void InitInstance() = 0;

    static WinApp& Current();

    HINSTANCE Instance() const { return m_instance; }

protected:
    // Common controls with the visual style that the manifest asks for.
    void EnableVisualStyles() const;

private:
    friend int RunApplication(HINSTANCE instance);

    HINSTANCE m_instance = nullptr;
};

// What the program's entry point does: records the module in the one
// application object and runs its InitInstance; returns the exit status.
int RunApplication(HINSTANCE instance);
