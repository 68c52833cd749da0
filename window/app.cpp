// The application object's life cycle, its run, and the help command.
#include "window/app.h"

#include <commctrl.h>
#include <shellapi.h>

#include "platform/wide_text.h"
#include "window/message_box.h"

namespace {

WinApp* g_application = nullptr;

constexpr const wchar_t* kHelpFileExtension = L".HLP";

std::wstring ExecutablePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// Where the file name starts and where its extension starts (or npos).
std::size_t FileNameStart(const std::wstring& path)
{
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? 0 : separator + 1;
}

std::size_t ExtensionStart(const std::wstring& path)
{
    const std::size_t dot = path.find_last_of(L'.');
    return dot == std::wstring::npos || dot < FileNameStart(path) ? std::wstring::npos : dot;
}

bool IsFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Opens a guide in the shell's viewer for it; false when the file is
// missing or nothing opens it (the shell's results up to 32 are errors).
bool OpenGuide(HWND owner, const std::wstring& folder, const char* guide)
{
    const std::wstring path = folder + WideFromUtf8(guide);
    if (!IsFile(path)) {
        return false;
    }
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, L"open", path.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL));
    return result > 32;
}

}  // namespace

WinApp::WinApp(const UserGuides& guides) : m_guides(guides)
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

std::wstring ApplicationTitle()
{
    const std::wstring path = ExecutablePath();
    const std::size_t start = FileNameStart(path);
    const std::size_t extension = ExtensionStart(path);
    return path.substr(start,
                       extension == std::wstring::npos ? std::wstring::npos : extension - start);
}

void ShowHelp(HWND owner, DWORD helpContext, const UserGuides& guides)
{
    const std::wstring path = ExecutablePath();
    const std::wstring helpFile = path.substr(0, ExtensionStart(path)) + kHelpFileExtension;
    if (IsFile(helpFile)) {
        WinHelpW(owner, helpFile.c_str(), HELP_CONTEXT, helpContext);
        return;
    }
    const std::wstring folder = path.substr(0, FileNameStart(path));
    if (OpenGuide(owner, folder, guides.webPage) || OpenGuide(owner, folder, guides.text)) {
        return;
    }
    MessageBoxNotifier messageBox;
    messageBox.SetOwner(owner);
    messageBox.Show(FillPlaceholder(guides.cannotOpenMessage, guides.webPage));
}

int RunApplication(HINSTANCE instance)
{
    WinApp& application = WinApp::Current();
    application.m_instance = instance;
    application.InitInstance();
    return 0;
}
