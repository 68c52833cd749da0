// Runs one Extraction through the real dialog of tarvek_dconv.exe, for the
// comparison of builds: starts it in the working directory, clicks the mode
// button (mode 0 has none: the settings file must already hold it), puts the
// two record numbers into the fields, presses Extraction and prints the text
// of each message box that follows, one a line, in UTF-8. Then ends the
// program with Escape.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "res/resource.h"
#include "tests/e2e/dialog_driver.h"

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: dialog_extraction TARVEK_DCONV_EXE MODE START END\n");
        return 2;
    }
    const int mode = std::atoi(argv[2]);
    DialogDriver dialog(fs::absolute(argv[1]).wstring(), fs::current_path().wstring());
    if (!dialog.IsRunning()) {
        std::fprintf(stderr, "the dialog did not come up\n");
        return 3;
    }
    if (mode >= 1) {
        dialog.Click(IDC_MODE_VER4 + mode - 1);
    }
    dialog.SetText(IDC_START, argv[3]);
    dialog.SetText(IDC_END, argv[4]);
    for (const SeenMessage& message : dialog.Click(IDOK)) {
        std::printf("%s\n", message.text.c_str());
    }
    std::fflush(stdout);
    if (!dialog.PressKeyToExit(IDOK, VK_ESCAPE)) {
        std::fprintf(stderr, "the program did not end\n");
        return 3;
    }
    return 0;
}
