// The application object: runs the main dialog modally; the process ends
// when the user closes it.
#pragma once

#include "window/app.h"

class CExtractionApp final : public WinApp {
public:
    void InitInstance() override;
};

extern CExtractionApp theApp;
