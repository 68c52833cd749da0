// The main dialog's handlers: they move values between the controls and the
// two record-number texts, then call the settings file, the record-count
// probe and the extractions.
#include "program/extraction_dlg.h"

#include "extract/extraction_modes.h"
#include "extract/extraction_texts.h"
#include "extract/record_count.h"
#include "platform/decimal.h"
#include "program/dialog_texts.h"
#include "program/user_guide.h"
#include "res/resource.h"
#include "shell/extraction_command.h"
#include "shell/settings.h"

namespace {

constexpr TextLimit kRecordNumberLimit = {kRecordNumberMaxBytes, kMsgTooManyCharacters};

int RecordNumber(const std::string& text)
{
    return ParseDecimal(text.data(), text.size());
}

// The button of ordinal n is the control kFirstModeButtonId + n.
constexpr int kFirstModeButtonId = IDC_MODE_VER4;

}  // namespace

const CommandRoute<CExtractionDlg> CExtractionDlg::kCommandRoutes[] = {
    {kFirstModeButtonId, kFirstModeButtonId + kModeButtonCount - 1, BN_CLICKED,
     &CExtractionDlg::OnModeButton},
};

CExtractionDlg::CExtractionDlg(HINSTANCE instance)
    : Dialog(instance, IDD_EXTRACTION_DIALOG,
             {kHtmlGuideFileName, kTextGuideFileName, kMsgGuideCannotOpen}),
      m_hIcon(LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP_ICON)))
{
}

// The end field is exchanged before the start field, so a failing end field
// leaves the start field unread.
void CExtractionDlg::DoDataExchange(DataExchange& exchange)
{
    for (int button = 0; button < kModeButtonCount; ++button) {
        exchange.Control(kFirstModeButtonId + button, m_modeButtons[button]);
    }
    exchange.Text(IDC_END, m_strEnd, kRecordNumberLimit);
    exchange.Text(IDC_START, m_strStart, kRecordNumberLimit);
}

bool CExtractionDlg::OnInitDialog()
{
    Dialog::OnInitDialog();
    SetIcon(m_hIcon, true);
    SetIcon(m_hIcon, false);

    const int mode = ReadSettings();
    if (Button* button = ModeButton(mode)) {
        button->SetCheck(true);
    }
    const int count = GetRecordCount(mode, MessageBoxes());
    if (count > 0) {
        ShowFullRange(count);
    }
    return true;
}

// The Extraction button. The mode comes from the settings file at this
// moment, not from the buttons, and the dialog stays open afterwards. The
// outcome of reading the fields is not looked at: the handler goes on with
// the texts as they stand.
void CExtractionDlg::OnOK()
{
    UpdateData(true);
    const int start = RecordNumber(m_strStart);
    const int end = RecordNumber(m_strEnd);
    UpdateData(false);
    if (!IsValidRecordRange(start, end)) {
        MessageBoxes().Show(kMsgInvalidRecordNumbers);
        return;
    }
    const int mode = ReadSettings();
    const WaitCursor waitCursor;
    RunModeExtraction(mode, start, end, MessageBoxes());
}

bool CExtractionDlg::OnCommand(int controlId, int notification)
{
    return RouteCommand(*this, kCommandRoutes, controlId, notification);
}

// Minimised, the window shows the icon centred in its client area.
bool CExtractionDlg::OnPaint()
{
    if (!IsIconic(Window())) {
        return false;
    }
    const PaintDc dc(Window());
    SendMessageW(Window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Handle()), 0);
    RECT client;
    GetClientRect(Window(), &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc.Handle(), x, y, m_hIcon);
    return true;
}

HICON CExtractionDlg::OnQueryDragIcon()
{
    return m_hIcon;
}

// Blanks both fields while the count is taken, proposes 1 to the count when
// there are records, and stores the mode whatever the count. A click on the
// checked button runs all of it again.
void CExtractionDlg::OnModeButton(int button)
{
    const ExtractionMode* row = FindModeOfButton(button);
    if (row == nullptr) {
        return;
    }
    const int mode = row->number;
    UpdateData(true);
    // As wide as a field takes, so that both look blank.
    m_strStart = std::string(kRecordNumberMaxBytes, ' ');
    m_strEnd = std::string(kRecordNumberMaxBytes, ' ');
    UpdateData(false);
    const int count = GetRecordCount(mode, MessageBoxes());
    if (count > 0) {
        ShowFullRange(count);
    }
    WriteSettings(mode);
}

void CExtractionDlg::ShowFullRange(int count)
{
    UpdateData(true);
    m_strStart = std::string(kFirstRecordNumber);
    m_strEnd = std::to_string(count);
    UpdateData(false);
}

Button* CExtractionDlg::ModeButton(int mode)
{
    const ExtractionMode* row = FindExtractionMode(mode);
    if (row == nullptr || row->button == kNoModeButton) {
        return nullptr;
    }
    return &m_modeButtons[row->button];
}
