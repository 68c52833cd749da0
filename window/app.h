// The application object of a dialog program: exactly one, constructed during
// static initialisation. The program's entry point hands the module to
// RunApplication, which runs its InitInstance; the process ends when that
// returns. Window layer, Win32 only.
#pragma once

#include <windows.h>

#include <string>

// The user guides beside the program that the help command opens when there
// is no help file, and its message when it can open neither.
struct UserGuides {
    const char* webPage;            // opened first
    const char* text;               // opened when the page is missing or nothing opens it
    const char* cannotOpenMessage;  // "%1" stands for the web page's file name
};

class WinApp {
public:
    // Registers this object as the program's one application object, whose
    // help command opens these guides.
    explicit WinApp(const UserGuides& guides);
    virtual ~WinApp();
    WinApp(const WinApp&) = delete;
    WinApp& operator=(const WinApp&) = delete;

    // The application's whole working life: typically runs its main dialog.
    virtual void InitInstance() = 0;

    static WinApp& Current();

    HINSTANCE Instance() const { return m_instance; }
    const UserGuides& Guides() const { return m_guides; }

protected:
    // Common controls with the visual style that the manifest asks for.
    void EnableVisualStyles() const;

private:
    friend int RunApplication(HINSTANCE instance);

    HINSTANCE m_instance = nullptr;
    UserGuides m_guides;
};

// What the program's entry point does: records the module in the one
// application object and runs its InitInstance; returns the exit status.
int RunApplication(HINSTANCE instance);

// The executable's file name without directory and extension: the caption of
// every message box.
std::wstring ApplicationTitle();

// The help command: opens the help file, the executable's path and name with
// ".HLP", at the given help context. Without that file, which Windows' help
// engine would need and which no longer comes with Windows anyway, it opens
// one of the user guides beside the program in the shell's default viewer.
// When neither opens, a message box owned by owner says so.
void ShowHelp(HWND owner, DWORD helpContext, const UserGuides& guides);
