// The scripted demo walk: starts tarvek_dconv.exe in the working directory,
// chooses the JCC mode, presses Extraction, dismisses the message, and ends
// the program with Escape, saving a screenshot at each step into the folder
// given as the argument. Prints what it saw.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "res/resource.h"
#include "tests/e2e/dialog_driver.h"

namespace fs = std::filesystem;

namespace {

void PrintMessages(const std::vector<SeenMessage>& messages)
{
    for (const SeenMessage& message : messages) {
        std::printf("  message box \"%s\": %s\n", message.caption.c_str(), message.text.c_str());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialog_walk <screenshot folder>\n");
        return 2;
    }
    const fs::path shots = fs::absolute(argv[1]);
    fs::create_directories(shots);
    const fs::path folder = fs::current_path();

    DialogDriver dialog((folder / "tarvek_dconv.exe").wstring(), folder.wstring());
    if (!dialog.IsRunning()) {
        std::fprintf(stderr, "the dialog did not come up\n");
        return 1;
    }
    std::printf("started tarvek_dconv.exe in %s\n", folder.string().c_str());
    PrintMessages(dialog.Startup());
    std::printf("  fields: %s to %s\n", dialog.Text(IDC_START).c_str(),
                dialog.Text(IDC_END).c_str());
    SaveScreenshot({dialog.Dialog()}, (shots / "1-start.bmp").wstring());

    std::printf("clicked the JCC mode button\n");
    PrintMessages(dialog.Click(IDC_MODE_JCC));
    std::printf("  fields: %s to %s\n", dialog.Text(IDC_START).c_str(),
                dialog.Text(IDC_END).c_str());
    SaveScreenshot({dialog.Dialog()}, (shots / "2-jcc-mode.bmp").wstring());

    std::printf("pressed Extraction\n");
    dialog.WatchMessageBoxes([&](HWND box, const SeenMessage&) {
        SaveScreenshot({dialog.Dialog(), box}, (shots / "3-finished.bmp").wstring());
    });
    PrintMessages(dialog.Click(IDOK));

    std::printf("pressed Escape\n");
    if (!dialog.PressKeyToExit(IDOK, VK_ESCAPE)) {
        std::fprintf(stderr, "the program did not end\n");
        return 1;
    }
    std::printf("the program ended\n");
    return 0;
}
