// The help command: the help file, or else a guide, or else a message.
#include "window/help.h"

#include <shellapi.h>

#include <string>

#include "platform/wide_text.h"
#include "window/message_box.h"
#include "window/program_title.h"

namespace {

constexpr const wchar_t* kHelpFileExtension = L".HLP";

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
