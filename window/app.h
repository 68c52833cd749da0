// The application object of a dialog program: exactly one, constructed during
// static initialisation. The program's entry point records the module, runs
// its InitInstance, and ends the process when that returns. Window layer,
// Win32 only.
#pragma once

#include <windows.h>

#include <string>

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
    friend int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

    HINSTANCE m_instance = nullptr;
};

// The executable's file name without directory and extension: the caption of
// every message box.
std::wstring ApplicationTitle();

// The help command: opens the help file, the executable's path and name with
// ".HLP", at the given help context. Without that file, which Windows' help
// engine would need and which no longer comes with Windows anyway, it opens
// the user guide beside the program in the shell's default viewer: the web
// page, or the text when the page is missing or nothing opens it. When
// neither opens, a message box owned by owner says so.
void ShowHelp(HWND owner, DWORD helpContext);
