// End-to-end tests of tarvek_dconv.exe: each test lays out a scratch folder
// as a user's log folder (the program, the stand-in TARVEK50.DLL, databases,
// a backup file), starts the real program there, works its dialog through
// the real controls, and checks the message boxes and the files on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "extract/extraction_modes.h"
#include "platform/notifier.h"
#include "program/user_guide.h"
#include "res/resource.h"
#include "shell/extraction_command.h"
#include "tests/e2e/dialog_driver.h"
#include "tests/line_expectations.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

using Texts = std::vector<std::string>;
using Entry = DialogDriver::Entry;

// The program's texts as the user sees them.
const std::string kCaption = "tarvek_dconv";
const std::string kTitle = "TARVEK Data Extraction ";
const std::string kFinished = "終了しました";
const std::string kUnreadable = "レコード番号が読めません";
const std::string kNoLibrary = "TARVEK50.DLLがオープンできません";
const std::string kInvalidNumbers = "レコード番号の指定が間違ってます";
const std::string kTooLong = "6 文字以内で入力してください。";
const std::string kGuideCannotOpen = "説明書 guide_ja.html を開けません";
const std::string kSixSpaces = "      ";

const std::string kSettingsFile = "tarvek_dconv.ini";

// Each record-number field takes at most 6 characters.
constexpr int kFieldLimit = 6;

// The help command, and the help topic of the dialog (template 102).
constexpr int kIdHelp = 0xE146;
constexpr LONG kDialogHelpContext = 0x20000 + 102;

// The settings file as the program writes it for a mode.
std::string SettingsBytes(int mode)
{
    return "flag=" + std::to_string(mode) + "\r";
}

// The mode buttons, by mode number 1 to 5.
const int kModeButtons[] = {IDC_MODE_VER4, IDC_MODE_VER5, IDC_MODE_JCC, IDC_MODE_JCG,
                            IDC_MODE_TOWN};

// The version-5 log: a callsign (F000 after the split at '/'), a reference
// code and a stamp per record, chosen so that each filter takes a different
// set of records.
const Version5Sample kVersion5Rows[] = {
    {"JA1ABC", "1101", "24/05/03 12:34J"},        // 1 city Yokohama: JCC
    {"JH1XYZ/1", "100105", "09/12/31 23:59J"},    // 2 Tokyo ward before 2010: JCC as 1001
    {"7K1ABC", "11003B", "24/05/04 08:15J"},      // 3 town: JCG as 11003, town
    {"JA2WCC/M", "10007", "24/05/05 19:02J"},     // 4 county: JCG
    {"8J1HAM", "5001", "24/05/06 10:10U"},        // 5 first digit 5: none
    {"JA1YAA", "100106", "24/05/07 11:11J"},      // 6 Tokyo ward after 2010: JCC
    {"JE1QRP/QRP", "28004A", "24/05/08 21:00J"},  // 7 town: JCG as 28004, town
    {"JR6ABC", "4701", "24/05/09 06:30J"},        // 8 city: JCC
    {"JA8XYZ", "0101", "24/05/10 07:45J"},        // 9 city Sapporo: JCC
    {"JO1ABC", "12004", "24/05/11 12:00J"},       // 10 county: JCG
    {"JF3DEF", "2501", "24/05/12 13:13J"},        // 11 city Osaka: JCC
    {"JK1GHI", "", "24/05/13 14:14J"},            // 12 no code: none
};
constexpr int kVersion5Count = static_cast<int>(std::size(kVersion5Rows));

// Which records each filter takes, by the rules of the reference codes.
const std::set<int> kJccRecords = {1, 2, 6, 8, 9, 11};
const std::set<int> kJcgRecords = {3, 4, 7, 10};
const std::set<int> kTownRecords = {3, 7};

const char* const kVersion4Calls[] = {"JA1AAA", "JA1BBB", "JA1CCC", "JA1DDD", "JA1EEE",
                                      "JA1FFF", "JA1GGG", "JA1HHH", "JA1III"};
constexpr int kVersion4Count = static_cast<int>(std::size(kVersion4Calls));

constexpr int kBackupLines = 15;

// Lines first to last of the backup file.
std::string BackupLines(int first, int last)
{
    std::string lines;
    for (int number = first; number <= last; ++number) {
        lines += "BAK line " + std::to_string(number) + " JA1ABC 599 599 7.012 CW\r\n";
    }
    return lines;
}

std::wstring Wide(const std::string& path)
{
    return fs::path(path).wstring();
}

// The texts of the start and end fields.
using Fields = std::pair<std::string, std::string>;

// The callsigns of an extraction file's lines (columns 0 to 5).
std::vector<std::string> CallsignsIn(const std::string& file)
{
    std::vector<std::string> calls;
    for (const std::string& field : LineFields(file, F000, 7)) {
        calls.push_back(field.substr(0, field.find(' ')));
    }
    return calls;
}

std::vector<std::string> Version5Calls(int start, int end, const std::set<int>& only = {})
{
    std::vector<std::string> calls;
    for (int record = start; record <= end; ++record) {
        const std::string& leading = kVersion5Rows[record - 1].leading;
        if (only.empty() || only.count(record) != 0) {
            calls.push_back(leading.substr(0, leading.find('/')));
        }
    }
    return calls;
}

// The texts of message boxes, each checked to be the program's own kind of
// box: the application title as caption, one OK button, owned by the dialog.
Texts TextsOf(const std::vector<SeenMessage>& seen)
{
    Texts texts;
    for (const SeenMessage& message : seen) {
        EXPECT_EQ(kCaption, message.caption) << message.text;
        EXPECT_EQ(1, message.buttonCount) << message.text;
        EXPECT_TRUE(message.okButton) << message.text;
        EXPECT_TRUE(message.ownedByDialog) << message.text;
        EXPECT_TRUE(message.exclamationIcon) << message.text;
        texts.push_back(message.text);
    }
    return texts;
}

// Screenshots for people to look at, beside the test executables, named
// after the test.
void SaveTestScreenshot(std::initializer_list<HWND> windows, const std::string& suffix = "")
{
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    const std::string folder = TestExecutableFolder() + "screenshots";
    fs::create_directories(folder);
    SaveScreenshot(windows, Wide(folder + "/" + name + suffix + ".bmp"));
}

class DialogE2eTest : public testing::Test {
protected:
    // The folder as a user has it: the program, the log library, both
    // databases and the backup file.
    void SetUp() override
    {
        fs::copy_file(TestExecutableFolder() + "../tarvek_dconv.exe", "tarvek_dconv.exe");
        InstallStandin();
        std::vector<Version5Sample> samples(std::begin(kVersion5Rows), std::end(kVersion5Rows));
        for (Version5Sample& sample : samples) {
            sample.text51 = "JEX";
            sample.f064 = "東京都台東区";
        }
        WriteVersion5Log(samples);
        WriteVersion4Log({std::begin(kVersion4Calls), std::end(kVersion4Calls)}, "24/05/03 12:34J");
        WriteFileBytes("BAK0001.TXT", BackupLines(1, kBackupLines));
    }

    // Starts the program, after ending the one started before; false when
    // its dialog did not come up.
    bool Start(const std::string& executable = "tarvek_dconv.exe")
    {
        m_dialog.reset();
        m_dialog = std::make_unique<DialogDriver>(Wide(m_folder.Path() + "/" + executable),
                                                  Wide(m_folder.Path()));
        return m_dialog->IsRunning();
    }

    Fields ShownFields() const { return {m_dialog->Text(IDC_START), m_dialog->Text(IDC_END)}; }

    void SetFields(const std::string& start, const std::string& end) const
    {
        m_dialog->SetText(IDC_START, start);
        m_dialog->SetText(IDC_END, end);
    }

    // The bytes the core writes for the mode and range, in a folder of the
    // same files, as the reference for what the dialog must produce.
    std::string CoreOutput(int mode, int start, int end, const std::string& file) const
    {
        const ScratchFolder reference;
        for (const char* name : {"TARVEK50.DLL", "TARVEK.DBS", "TARVEK.VDB", "BAK0001.TXT"}) {
            fs::copy_file(m_folder.Path() + "/" + name, name);
        }
        RecordingNotifier notifier;
        RunModeExtraction(mode, start, end, notifier);
        EXPECT_EQ(Texts{kFinished}, notifier.Messages());
        return ReadFileBytes(file);
    }

    ScratchFolder m_folder;
    std::unique_ptr<DialogDriver> m_dialog;
};

TEST_F(DialogE2eTest, FirstStartChecksVersion5AndProposesItsWholeLog)
{
    const std::set<std::string> before = FolderContents();
    ASSERT_TRUE(Start());
    SaveTestScreenshot({m_dialog->Dialog()});
    EXPECT_EQ(Texts{}, TextsOf(m_dialog->Startup()));
    EXPECT_EQ(kTitle, m_dialog->Title());
    for (int mode = 1; mode <= 5; ++mode) {
        EXPECT_EQ(mode == kModeVersion5, m_dialog->IsChecked(kModeButtons[mode - 1])) << mode;
    }
    EXPECT_EQ(Fields("1", std::to_string(kVersion5Count)), ShownFields());
    EXPECT_EQ(SettingsBytes(kModeVersion5), ReadFileBytes(kSettingsFile));
    // The focus starts on the first tab stop, the Extraction button.
    EXPECT_EQ(IDOK, m_dialog->FocusedControlId());
    EXPECT_EQ(kFieldLimit, m_dialog->TextLimit(IDC_START));
    EXPECT_EQ(kFieldLimit, m_dialog->TextLimit(IDC_END));

    std::set<std::string> expected = before;
    expected.insert(kSettingsFile);
    EXPECT_EQ(expected, FolderContents());
}

TEST_F(DialogE2eTest, ModeZeroCopiesTheTypedRangeOfBackupLines)
{
    WriteFileBytes(kSettingsFile, SettingsBytes(kModeBackupCopy));
    ASSERT_TRUE(Start());
    for (const int button : kModeButtons) {
        EXPECT_FALSE(m_dialog->IsChecked(button)) << button;
    }
    EXPECT_EQ(Fields("", ""), ShownFields());

    m_dialog->Enter(IDC_START, Entry::kTyped, "3");
    m_dialog->Enter(IDC_END, Entry::kTyped, "7");
    EXPECT_EQ(Texts{kFinished}, TextsOf(m_dialog->Click(IDOK)));
    EXPECT_EQ(BackupLines(3, 7), ReadFileBytes("TARVEK_CONV_DATA.TXT"));
    EXPECT_EQ(SettingsBytes(kModeBackupCopy), ReadFileBytes(kSettingsFile));
}

struct RangeCase {
    const char* name;
    const char* start;
    const char* end;
    // The backup lines that a passing range copies.
    int firstLine = 0;
    int lastLine = 0;
};

// Ranges that are refused: a zero end, a start above the end, texts without
// digits (full-width digits are not digits to the conversion).
const RangeCase kRefusedRanges[] = {
    {"start_above_end", "5", "3"},
    {"zero_start", "0", "3"},
    {"zero_end", "3", "0"},
    {"empty_start", "", "3"},
    {"empty_end", "3", ""},
    {"full_width_digits", "１２", "１５"},
    {"six_spaces", "      ", "      "},
    {"letters", "abc", "5"},
    {"sign_only", "-", "5"},
};

TEST_F(DialogE2eTest, RefusedRangesShowTheMessageAndRunNothing)
{
    ASSERT_TRUE(Start());
    for (const RangeCase& c : kRefusedRanges) {
        SCOPED_TRACE(c.name);
        SetFields(c.start, c.end);
        EXPECT_EQ(Texts{kInvalidNumbers}, TextsOf(m_dialog->Click(IDOK)));
        EXPECT_EQ(Fields(c.start, c.end), ShownFields());
        EXPECT_FALSE(FileExists("TARVEK5_EXT_DAT.TXT"));
    }
}

// Ranges that pass and what the backup copy makes of them: digits up to the
// first other character count, a sign and leading spaces are taken, and a
// negative start copies from the first line.
const RangeCase kPassingRanges[] = {
    {"negative_start", "-2", "10", 1, 10},
    {"trailing_letters", "12abc", "12", 12, 12},
    {"signs_and_spaces", "  +4", " 6", 4, 6},
    {"end_beyond_input", "14", "999", 14, kBackupLines},
};

TEST_F(DialogE2eTest, PassingRangesRunWithTheConvertedNumbers)
{
    WriteFileBytes(kSettingsFile, SettingsBytes(kModeBackupCopy));
    ASSERT_TRUE(Start());
    for (const RangeCase& c : kPassingRanges) {
        SCOPED_TRACE(c.name);
        SetFields(c.start, c.end);
        EXPECT_EQ(Texts{kFinished}, TextsOf(m_dialog->Click(IDOK)));
        EXPECT_EQ(BackupLines(c.firstLine, c.lastLine), ReadFileBytes("TARVEK_CONV_DATA.TXT"));
        EXPECT_EQ(c.start, m_dialog->Text(IDC_START));
    }
}

TEST_F(DialogE2eTest, NegativeStartReachesTheVersion5Extraction)
{
    ASSERT_TRUE(Start());
    SetFields("-2", "10");
    // The library cannot read record -2, so the run stops at once.
    EXPECT_EQ((Texts{kUnreadable, kFinished}), TextsOf(m_dialog->Click(IDOK)));
    EXPECT_EQ("", ReadFileBytes("TARVEK5_EXT_DAT.TXT"));
}

constexpr int kAtEnd = DialogDriver::kTextEnd;

struct LimitCase {
    const char* name;
    const char* before;
    int start;
    int end;
    Entry entry;
    const char* text;
    const char* after;
    // Where the selection then ends, in characters: behind the kept input,
    // or, when a typed character is refused, where it ended before.
    int selectionEnd;
    // A key pressed after the input, or 0.
    WORD key = 0;
};

// Six bytes of code page 932 fit a field; a full-width character takes two.
// A typed character that would make the text longer than that is refused
// whatever it replaces; pasted text is cut to what fits.
const LimitCase kLimitCases[] = {
    {"typed_seventh_digit", "", kAtEnd, 0, Entry::kTyped, "1234567", "123456", 6},
    {"pasted_eight_digits", "", kAtEnd, 0, Entry::kPasted, "12345678", "123456", 6},
    {"pasted_full_width", "", kAtEnd, 0, Entry::kPasted, "９８７６", "９８７", 3},
    {"typed_after_three_full_width", "９８７", kAtEnd, 0, Entry::kTyped, "1", "９８７", 3},
    {"full_width_needs_two_bytes", "12345", kAtEnd, 0, Entry::kTyped, "６7", "123457", 6},
    {"pasted_into_partly_filled", "12", kAtEnd, 0, Entry::kPasted, "３４５6", "12３４", 4},
    {"program_text_kept_but_not_extended", "1234567", kAtEnd, 0, Entry::kTyped, "8", "1234567", 7},
    {"typed_over_last_digit_of_program_text", "1234567", 6, 7, Entry::kTyped, "8", "1234567", 7},
    {"typed_over_first_digit_of_program_text", "1234567", 0, 1, Entry::kTyped, "9", "1234567", 1},
    {"pasted_over_last_digit_of_program_text", "1234567", 6, 7, Entry::kPasted, "8", "123456", 6},
    // Keys that change nothing leave the program's text whole.
    {"arrow_over_selected_program_text", "1234567", 0, 7, Entry::kTyped, "", "1234567", 7,
     VK_RIGHT},
    {"copy_of_selected_program_text", "1234567", 0, 7, Entry::kTyped, "\x03", "1234567", 7},
    {"pasted_at_start", "11", 0, 0, Entry::kPasted, "1111111", "111111", 4},
    {"pasted_in_the_middle", "1234", 2, 2, Entry::kPasted, "９９", "12９34", 3},
    {"typed_over_selection_that_fits", "123456", 1, 3, Entry::kTyped, "9", "19456", 2},
    {"typed_full_width_over_one_digit", "12345", 4, 5, Entry::kTyped, "６", "1234６", 5},
    {"typed_full_width_over_one_digit_of_six", "123456", 5, 6, Entry::kTyped, "６", "123456", 6},
    {"typed_full_width_over_full_width", "１２３", 2, 3, Entry::kTyped, "４", "１２４", 3},
    // Only the committed text counts: what the field had stays, the
    // characters of the composition that fit are kept, the others refused.
    {"composed_in_the_middle", "1234", 2, 2, Entry::kComposed, "567", "125634", 4},
    {"composed_full_width_in_the_middle", "1234", 2, 2, Entry::kComposed, "５６", "12５34", 3},
    {"composed_behind_the_text", "12345", 5, 5, Entry::kComposed, "67", "123456", 6},
    {"composed_over_a_selection", "123456", 1, 3, Entry::kComposed, "789", "178456", 3},
    {"composed_into_a_full_field", "123456", 3, 3, Entry::kComposed, "7", "123456", 3},
};

TEST_F(DialogE2eTest, FieldsRefuseBytesBeyondSix)
{
    ASSERT_TRUE(Start());
    for (const LimitCase& c : kLimitCases) {
        SCOPED_TRACE(c.name);
        for (const int field : {IDC_START, IDC_END}) {
            m_dialog->SetText(field, c.before);
            m_dialog->Enter(field, c.entry, c.text, c.start, c.end);
            if (c.key != 0) {
                m_dialog->PressKey(field, c.key);
            }
            EXPECT_EQ(c.after, m_dialog->Text(field)) << field;
            EXPECT_EQ(c.selectionEnd, m_dialog->Selection(field).second) << field;
            EXPECT_EQ(kFieldLimit, m_dialog->TextLimit(field)) << field;
        }
    }
}

TEST_F(DialogE2eTest, SevenDigitCountIsShownInFullAndWarnedAboutOnReading)
{
    SetStandinControl("TARVEK_STANDIN_COUNT", "1234567");
    ASSERT_TRUE(Start());
    EXPECT_EQ(Fields("1", "1234567"), ShownFields());
    SaveTestScreenshot({m_dialog->Dialog()});

    // Reading stops at the end field, so the start field typed meanwhile is
    // not read: it shows the 1 it held before, and the run starts there.
    m_dialog->SetText(IDC_START, "5");
    m_dialog->WatchMessageBoxes([](HWND box, const SeenMessage& message) {
        if (message.text == kTooLong) {
            SaveTestScreenshot({box}, "-message");
        }
    });
    EXPECT_EQ((Texts{kTooLong, kUnreadable, kFinished}), TextsOf(m_dialog->Click(IDOK)));
    EXPECT_EQ(Version5Calls(1, kVersion5Count), CallsignsIn("TARVEK5_EXT_DAT.TXT"));
    EXPECT_EQ(Fields("1", "1234567"), ShownFields());
    EXPECT_EQ(IDC_END, m_dialog->FocusedControlId());
    // The handler's own showing of the values leaves the field alone.
    EXPECT_EQ((std::pair<int, int>{0, 7}), m_dialog->Selection(IDC_END));
    EXPECT_EQ(kFieldLimit, m_dialog->TextLimit(IDC_START));
    EXPECT_EQ(kFieldLimit, m_dialog->TextLimit(IDC_END));

    // A mode click reads the fields too, warns, and goes on.
    EXPECT_EQ(Texts{kTooLong}, TextsOf(m_dialog->Click(IDC_MODE_JCC)));
    EXPECT_EQ("1234567", m_dialog->Text(IDC_END));
    EXPECT_EQ(SettingsBytes(kModeJcc), ReadFileBytes(kSettingsFile));
}

TEST_F(DialogE2eTest, EnterRunsExtractionAndTheDialogStaysOpen)
{
    ASSERT_TRUE(Start());
    SetFields("2", "4");
    EXPECT_EQ(Texts{kFinished}, TextsOf(m_dialog->PressKeyForMessages(IDC_START, VK_RETURN)));
    EXPECT_TRUE(m_dialog->IsRunning());
    EXPECT_TRUE(IsWindowVisible(m_dialog->Dialog()));
    EXPECT_EQ(Fields("2", "4"), ShownFields());
    EXPECT_EQ(Version5Calls(2, 4), CallsignsIn("TARVEK5_EXT_DAT.TXT"));

    // And again, from the end field.
    SetFields("7", "7");
    EXPECT_EQ(Texts{kFinished}, TextsOf(m_dialog->PressKeyForMessages(IDC_END, VK_RETURN)));
    EXPECT_EQ(Version5Calls(7, 7), CallsignsIn("TARVEK5_EXT_DAT.TXT"));
}

// Showing values that a field already holds leaves its caret where it is.
TEST_F(DialogE2eTest, EnterKeepsTheCaretInTheField)
{
    // A mode without a button: Extraction then runs nothing and shows
    // nothing, so only the exchanges touch the fields.
    WriteFileBytes(kSettingsFile, "flag=9\r");
    ASSERT_TRUE(Start());
    SetFields("34", "123");
    for (const int field : {IDC_START, IDC_END}) {
        SCOPED_TRACE(field);
        const int middle = 1;
        m_dialog->Enter(field, Entry::kTyped, "", middle, middle);
        EXPECT_EQ(Texts{}, TextsOf(m_dialog->PressKey(field, VK_RETURN)));
        EXPECT_EQ((std::pair<int, int>{middle, middle}), m_dialog->Selection(field));
        EXPECT_EQ(field, m_dialog->FocusedControlId());
        EXPECT_EQ(kFieldLimit, m_dialog->TextLimit(field));
    }
    EXPECT_EQ(Fields("34", "123"), ShownFields());
}

TEST_F(DialogE2eTest, ClickingTheCheckedButtonRefillsTheFields)
{
    ASSERT_TRUE(Start());
    SetFields("3", "4");
    EXPECT_EQ(Texts{}, TextsOf(m_dialog->Click(IDC_MODE_VER5)));
    EXPECT_TRUE(m_dialog->IsChecked(IDC_MODE_VER5));
    EXPECT_EQ(Fields("1", std::to_string(kVersion5Count)), ShownFields());
    EXPECT_EQ(SettingsBytes(kModeVersion5), ReadFileBytes(kSettingsFile));
    EXPECT_EQ(kFieldLimit, m_dialog->TextLimit(IDC_START));
    EXPECT_EQ(kFieldLimit, m_dialog->TextLimit(IDC_END));
}

TEST_F(DialogE2eTest, EachModeButtonProposesItsDatabaseAndStoresItsMode)
{
    ASSERT_TRUE(Start());
    for (int mode = kModeVersion4; mode <= kModeTown; ++mode) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(Texts{}, TextsOf(m_dialog->Click(kModeButtons[mode - 1])));
        for (int other = kModeVersion4; other <= kModeTown; ++other) {
            EXPECT_EQ(other == mode, m_dialog->IsChecked(kModeButtons[other - 1])) << other;
        }
        const int count = mode == kModeVersion4 ? kVersion4Count : kVersion5Count;
        EXPECT_EQ(Fields("1", std::to_string(count)), ShownFields());
        EXPECT_EQ(SettingsBytes(mode), ReadFileBytes(kSettingsFile));
    }
}

TEST_F(DialogE2eTest, ModeClickWithoutItsDatabaseBlanksTheFieldsAndStoresTheMode)
{
    fs::remove("TARVEK.DBS");
    ASSERT_TRUE(Start());
    EXPECT_EQ(Texts{}, TextsOf(m_dialog->Click(IDC_MODE_VER4)));
    EXPECT_EQ(Fields(kSixSpaces, kSixSpaces), ShownFields());
    EXPECT_EQ(SettingsBytes(kModeVersion4), ReadFileBytes(kSettingsFile));
    // Six spaces convert to 0.
    EXPECT_EQ(Texts{kInvalidNumbers}, TextsOf(m_dialog->Click(IDOK)));
    EXPECT_FALSE(FileExists("TARVEK4_EXT_DAT.TXT"));
}

TEST_F(DialogE2eTest, SettingsEditedWhileOpenDecideWhatExtractionRuns)
{
    ASSERT_TRUE(Start());
    WriteFileBytes(kSettingsFile, SettingsBytes(kModeJcc));
    EXPECT_EQ(Texts{kFinished}, TextsOf(m_dialog->Click(IDOK)));
    EXPECT_EQ(Version5Calls(1, kVersion5Count, kJccRecords), CallsignsIn("TARVEK5_JCC_DAT.TXT"));
    EXPECT_FALSE(FileExists("TARVEK5_EXT_DAT.TXT"));
    EXPECT_TRUE(m_dialog->IsChecked(IDC_MODE_VER5));
    EXPECT_FALSE(m_dialog->IsChecked(IDC_MODE_JCC));

    // A mode without a button runs nothing and says nothing.
    const std::set<std::string> before = FolderContents();
    WriteFileBytes(kSettingsFile, "flag=9\r");
    EXPECT_EQ(Texts{}, TextsOf(m_dialog->Click(IDOK)));
    EXPECT_EQ(before, FolderContents());
}

TEST_F(DialogE2eTest, ModeWithoutButtonInTheSettingsChecksNothing)
{
    WriteFileBytes(kSettingsFile, "flag=7\r");
    ASSERT_TRUE(Start());
    for (const int button : kModeButtons) {
        EXPECT_FALSE(m_dialog->IsChecked(button)) << button;
    }
    // Mode 7 counts the version-5 database, and Extraction runs nothing.
    EXPECT_EQ(Fields("1", std::to_string(kVersion5Count)), ShownFields());
    const std::set<std::string> before = FolderContents();
    EXPECT_EQ(Texts{}, TextsOf(m_dialog->Click(IDOK)));
    EXPECT_EQ(before, FolderContents());
    EXPECT_EQ("flag=7\r", ReadFileBytes(kSettingsFile));
}

TEST_F(DialogE2eTest, WithoutTheLibraryEveryProbeAndExtractionSaysSo)
{
    fs::remove("TARVEK50.DLL");
    ASSERT_TRUE(Start());
    EXPECT_EQ(Texts{kNoLibrary}, TextsOf(m_dialog->Startup()));
    EXPECT_TRUE(m_dialog->IsChecked(IDC_MODE_VER5));
    EXPECT_EQ(Fields("", ""), ShownFields());

    m_dialog->WatchMessageBoxes([](HWND box, const SeenMessage&) {
        SaveTestScreenshot({GetWindow(box, GW_OWNER), box}, "-message");
    });
    for (int mode = kModeVersion4; mode <= kModeTown; ++mode) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(Texts{kNoLibrary}, TextsOf(m_dialog->Click(kModeButtons[mode - 1])));
        EXPECT_EQ(Fields(kSixSpaces, kSixSpaces), ShownFields());
        EXPECT_EQ(SettingsBytes(mode), ReadFileBytes(kSettingsFile));
    }
    SetFields("1", "2");
    EXPECT_EQ(Texts{kNoLibrary}, TextsOf(m_dialog->Click(IDOK)));
    EXPECT_FALSE(FileExists("TARVEK5_TOWN_DAT.TXT"));
}

TEST_F(DialogE2eTest, MessageCaptionIsTheExecutableName)
{
    fs::rename("tarvek_dconv.exe", "LogTool.exe");
    fs::remove("TARVEK50.DLL");
    ASSERT_TRUE(Start("LogTool.exe"));
    ASSERT_EQ(1U, m_dialog->Startup().size());
    EXPECT_EQ("LogTool", m_dialog->Startup()[0].caption);
    EXPECT_EQ(kNoLibrary, m_dialog->Startup()[0].text);
    EXPECT_EQ(kTitle, m_dialog->Title());
}

// Wine's help engine for .HLP files is reached through the window of class
// MS_WINHELP, which receives each request as WM_COPYDATA: a window of that
// class of the test's own takes its place and records the requests.
class HelpEngineRecorder {
public:
    struct Request {
        int command;
        LONG data;
        std::string file;
    };

    HelpEngineRecorder()
    {
        m_thread = std::thread([this] { Run(); });
        WaitUntil([this] { return m_ready.load(); }, INFINITE);
    }
    ~HelpEngineRecorder()
    {
        PostMessageW(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
    }

    std::vector<Request> Requests()
    {
        const std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    static constexpr ULONG_PTR kHelpRequest = 0xA1DE505;

    // The request as it arrives: size, command, data, a reserved field, and
    // the offsets of the file name and of further data.
#pragma pack(push, 1)
    struct Packet {
        WORD size;
        WORD command;
        LONG data;
        LONG reserved;
        WORD fileOffset;
        WORD dataOffset;
    };
#pragma pack(pop)

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self =
            reinterpret_cast<HelpEngineRecorder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_COPYDATA && self != nullptr) {
            const auto& copy = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            if (copy.dwData == kHelpRequest && copy.cbData >= sizeof(Packet)) {
                const auto* bytes = static_cast<const char*>(copy.lpData);
                const auto& packet = *reinterpret_cast<const Packet*>(bytes);
                std::string file;
                if (packet.fileOffset != 0 && packet.fileOffset < copy.cbData) {
                    file.assign(
                        bytes + packet.fileOffset,
                        strnlen(bytes + packet.fileOffset, copy.cbData - packet.fileOffset));
                }
                const std::lock_guard lock(self->m_mutex);
                self->m_requests.push_back({packet.command, packet.data, file});
            }
            return TRUE;
        }
        if (message == WM_DESTROY) {
            PostQuitMessage(0);
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    void Run()
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"MS_WINHELP";
        RegisterClassW(&windowClass);
        m_window = CreateWindowW(L"MS_WINHELP", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 windowClass.hInstance, nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        m_ready = true;
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            DispatchMessageW(&message);
        }
        UnregisterClassW(L"MS_WINHELP", windowClass.hInstance);
    }

    std::thread m_thread;
    std::atomic<bool> m_ready = false;
    HWND m_window = nullptr;
    std::mutex m_mutex;
    std::vector<Request> m_requests;
};

// Makes the test's recorder the program that opens web pages and text files
// while it lives, so that what the shell is asked to open lands in a file.
class ViewerRecorder {
public:
    explicit ViewerRecorder(const std::string& recordFile)
    {
        const std::wstring command = L"\"" + Wide(TestExecutableFolder() + "open_recorder.exe") +
                                     L"\" \"" + Wide(recordFile) + L"\" \"%1\"";
        SetDefault(std::wstring(kProgId) + L"\\shell\\open\\command", command);
        for (const wchar_t* extension : kExtensions) {
            m_previous.push_back(Default(extension));
            SetDefault(extension, kProgId);
        }
    }
    ~ViewerRecorder()
    {
        for (std::size_t i = 0; i < std::size(kExtensions); ++i) {
            SetDefault(kExtensions[i], m_previous[i]);
        }
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    }

    // Web pages open in the recorder, or in nothing: a file type without a
    // program, as on a system without a web browser.
    static void OpenWebPages(bool inRecorder)
    {
        SetDefault(L".html", inRecorder ? kProgId : kNoProgram);
    }

private:
    static constexpr const wchar_t* kProgId = L"TarvekE2e.ViewerRecorder";
    static constexpr const wchar_t* kNoProgram = L"TarvekE2e.NoProgram";
    static constexpr const wchar_t* kExtensions[] = {L".html", L".txt"};

    static std::wstring Default(const wchar_t* key)
    {
        wchar_t value[256] = {};
        LONG size = sizeof value;
        RegQueryValueW(HKEY_CLASSES_ROOT, key, value, &size);
        return value;
    }

    static void SetDefault(const std::wstring& key, const std::wstring& value)
    {
        RegSetValueW(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(),
                     static_cast<DWORD>(value.size() * sizeof(wchar_t)));
    }

    std::vector<std::wstring> m_previous;
};

enum class HelpBy { kF1, kCommand };

enum class HelpOpens { kHelpEngine, kHtmlGuide, kTextGuide, kNothing };

struct HelpCase {
    const char* name;
    HelpBy by;
    bool helpFile;
    bool htmlGuide;
    bool textGuide;
    bool webPageViewer;
    HelpOpens opens;
};

// The help file beside the program goes to the help engine; without it the
// shell opens the web page of the guide, or else its text; when neither
// opens, a message box says so.
const HelpCase kHelpCases[] = {
    {"f1_html_guide", HelpBy::kF1, false, true, true, true, HelpOpens::kHtmlGuide},
    {"command_html_guide", HelpBy::kCommand, false, true, true, true, HelpOpens::kHtmlGuide},
    {"f1_text_guide", HelpBy::kF1, false, false, true, true, HelpOpens::kTextGuide},
    {"command_text_guide", HelpBy::kCommand, false, false, true, true, HelpOpens::kTextGuide},
    {"f1_help_file", HelpBy::kF1, true, true, true, true, HelpOpens::kHelpEngine},
    {"command_help_file", HelpBy::kCommand, true, false, false, true, HelpOpens::kHelpEngine},
    {"command_nothing_to_open", HelpBy::kCommand, false, false, false, true, HelpOpens::kNothing},
    {"f1_no_web_page_viewer", HelpBy::kF1, false, true, true, false, HelpOpens::kTextGuide},
    {"command_no_web_page_viewer", HelpBy::kCommand, false, true, true, false,
     HelpOpens::kTextGuide},
    {"command_no_web_page_viewer_nor_text", HelpBy::kCommand, false, true, false, false,
     HelpOpens::kNothing},
};

TEST_F(DialogE2eTest, HelpOpensTheHelpFileOrElseTheGuide)
{
    const std::string helpFile = m_folder.Path() + "/tarvek_dconv.HLP";
    const std::string htmlGuide = m_folder.Path() + "/" + kHtmlGuideFileName;
    const std::string textGuide = m_folder.Path() + "/" + kTextGuideFileName;
    const std::string record = m_folder.Path() + "/opened.record";
    HelpEngineRecorder helpEngine;
    const ViewerRecorder viewer(record);
    const auto place = [](const std::string& path, bool present, const char* bytes) {
        fs::remove(path);
        if (present) {
            WriteFileBytes(path, bytes);
        }
    };
    for (const HelpCase& c : kHelpCases) {
        SCOPED_TRACE(c.name);
        place(helpFile, c.helpFile, "help");
        place(htmlGuide, c.htmlGuide, "<!DOCTYPE html>");
        place(textGuide, c.textGuide, "guide");
        fs::remove(record);
        ViewerRecorder::OpenWebPages(c.webPageViewer);
        const std::size_t requestsBefore = helpEngine.Requests().size();
        ASSERT_TRUE(Start());
        if (c.by == HelpBy::kF1) {
            m_dialog->PressKeyAsInput(IDC_START, VK_F1);
        } else {
            const Texts expected =
                c.opens == HelpOpens::kNothing ? Texts{kGuideCannotOpen} : Texts{};
            EXPECT_EQ(expected, TextsOf(m_dialog->Command(kIdHelp)));
        }
        // The help engine is asked at once; the viewer starts in a process
        // of its own and writes its record a little later.
        const ULONGLONG deadline = GetTickCount64() + 10000;
        while (c.opens != HelpOpens::kNothing && helpEngine.Requests().size() == requestsBefore &&
               ReadFileBytes(record).empty() && GetTickCount64() < deadline) {
            Sleep(20);
        }
        // Anything else would have come meanwhile.
        Sleep(500);
        EXPECT_TRUE(m_dialog->IsRunning());

        const std::vector<HelpEngineRecorder::Request> requests = helpEngine.Requests();
        if (c.opens == HelpOpens::kHelpEngine) {
            ASSERT_EQ(requestsBefore + 1, requests.size());
            EXPECT_EQ(HELP_CONTEXT, requests.back().command);
            EXPECT_EQ(kDialogHelpContext, requests.back().data);
            EXPECT_TRUE(fs::equivalent(helpFile, requests.back().file)) << requests.back().file;
        } else {
            EXPECT_EQ(requestsBefore, requests.size());
        }
        const std::string opened = ReadFileBytes(record);
        if (c.opens == HelpOpens::kHtmlGuide || c.opens == HelpOpens::kTextGuide) {
            const std::string& guide = c.opens == HelpOpens::kHtmlGuide ? htmlGuide : textGuide;
            EXPECT_TRUE(!opened.empty() && fs::equivalent(guide, opened)) << opened;
        } else {
            EXPECT_EQ("", opened);
        }
        m_dialog.reset();
    }
}

enum class Ending { kEscape, kCloseBox };

class DialogEndingTest : public DialogE2eTest, public testing::WithParamInterface<Ending> {};

TEST_P(DialogEndingTest, EndsTheProgramWithoutWritingAFile)
{
    WriteFileBytes(kSettingsFile, SettingsBytes(kModeJcg));
    const std::set<std::string> before = FolderContents();
    ASSERT_TRUE(Start());
    m_dialog->SetText(IDC_START, "2");
    const bool ended = GetParam() == Ending::kEscape
                           ? m_dialog->PressKeyToExit(IDC_START, VK_ESCAPE)
                           : m_dialog->CloseToExit();
    EXPECT_TRUE(ended);
    EXPECT_EQ(before, FolderContents());
    EXPECT_EQ(SettingsBytes(kModeJcg), ReadFileBytes(kSettingsFile));
}

INSTANTIATE_TEST_SUITE_P(Endings, DialogEndingTest,
                         testing::Values(Ending::kEscape, Ending::kCloseBox),
                         [](const testing::TestParamInfo<Ending>& param) {
                             return param.param == Ending::kEscape ? "escape" : "close_box";
                         });

struct ModeCase {
    int mode;
    const char* file;
    std::vector<std::string> calls;
};

// Records (or lines) 2 to 11 in every mode: the dialog must write what the
// core writes for the same call, and the records the filters take.
class DialogModeTest : public DialogE2eTest, public testing::WithParamInterface<int> {};

TEST_P(DialogModeTest, ExtractionWritesWhatTheCoreWrites)
{
    const int mode = GetParam();
    const ModeCase cases[] = {
        {kModeBackupCopy, "TARVEK_CONV_DATA.TXT", {}},
        {kModeVersion4, "TARVEK4_EXT_DAT.TXT", {kVersion4Calls + 1, std::end(kVersion4Calls)}},
        {kModeVersion5, "TARVEK5_EXT_DAT.TXT", Version5Calls(2, 11)},
        {kModeJcc, "TARVEK5_JCC_DAT.TXT", Version5Calls(2, 11, kJccRecords)},
        {kModeJcg, "TARVEK5_JCG_DAT.TXT", Version5Calls(2, 11, kJcgRecords)},
        {kModeTown, "TARVEK5_TOWN_DAT.TXT", Version5Calls(2, 11, kTownRecords)},
    };
    const ModeCase& c = cases[mode];
    const int end = mode == kModeVersion4 ? kVersion4Count : 11;
    const std::string expected = CoreOutput(mode, 2, end, c.file);

    if (mode == kModeBackupCopy) {
        WriteFileBytes(kSettingsFile, SettingsBytes(kModeBackupCopy));
    }
    ASSERT_TRUE(Start());
    if (mode != kModeBackupCopy) {
        EXPECT_EQ(Texts{}, TextsOf(m_dialog->Click(kModeButtons[mode - 1])));
    }
    SetFields("2", std::to_string(end));
    EXPECT_EQ(Texts{kFinished}, TextsOf(m_dialog->Click(IDOK)));

    const std::string written = ReadFileBytes(c.file);
    EXPECT_FALSE(written.empty());
    EXPECT_EQ(expected, written);
    if (mode == kModeBackupCopy) {
        EXPECT_EQ(BackupLines(2, end), written);
    } else {
        EXPECT_EQ(c.calls, CallsignsIn(c.file));
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, DialogModeTest, testing::Range(0, kModeCount),
                         [](const testing::TestParamInfo<int>& param) {
                             return "mode" + std::to_string(param.param);
                         });

}  // namespace
