// The main dialog: five mode buttons that store the mode number and propose
// the record range of the mode's database, two record-number fields, and the
// Extraction button that checks the range and runs the operation that the
// settings file names.
#pragma once

#include <string>

#include "extract/extraction_modes.h"
#include "window/dialog.h"

class CExtractionDlg final : public Dialog {
public:
    // instance: the module whose resources hold the template and the icon.
    explicit CExtractionDlg(HINSTANCE instance);

protected:
    void DoDataExchange(DataExchange& exchange) override;
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int controlId, int notification) override;
    bool OnPaint() override;
    HICON OnQueryDragIcon() override;

private:
    // A click on the mode button of that ordinal.
    void OnModeButton(int button);

    // Shows the range 1 to count in the fields.
    void ShowFullRange(int count);

    // The button of a mode number, or nullptr for a mode without one.
    Button* ModeButton(int mode);

    static const CommandRoute<CExtractionDlg> kCommandRoutes[];

    Button m_modeButtons[kModeButtonCount];  // by ordinal
    std::string m_strEnd;
    std::string m_strStart;
    HICON m_hIcon;
};
