// The one application object and its start-up.
#include "program/extraction_app.h"

#include "program/dialog_texts.h"
#include "program/extraction_dlg.h"

CExtractionApp theApp;

// The whole working life of the program is the dialog's modal loop; nothing
// is saved when it ends.
void CExtractionApp::InitInstance()
{
    EnableVisualStyles();
    CExtractionDlg dialog(Instance());
    dialog.DoModal();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunApplication(instance);
}
