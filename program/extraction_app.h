// The application object: runs the main dialog modally; the process ends
// when the user closes it. Its help command opens the program's user guides.
#pragma once

#include "window/app.h"

class CExtractionApp final : public WinApp {
public:
    CExtractionApp();
    void InitInstance() override;
};

extern CExtractionApp theApp;
