// End-to-end tests of tarvek_dconv.exe: each test lays out a scratch folder
// as a user's log folder (the program, the stand-in TARVEK50.DLL, databases,
// a backup file), starts the real program there, works its dialog through
// the real controls, and checks the message boxes and the files on disk.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

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

// The version-5 log: a callsign (F000 after the split at '/'), a stamp and a
// reference code per record, chosen so that each filter takes a different
// set of records.
struct LogRow {
    const char* leading;
    const char* stamp;
    const char* code;
};

const LogRow kVersion5Rows[] = {
    {"JA1ABC", "24/05/03 12:34J", "1101"},        // 1 city Yokohama: JCC
    {"JH1XYZ/1", "09/12/31 23:59J", "100105"},    // 2 Tokyo ward before 2010: JCC as 1001
    {"7K1ABC", "24/05/04 08:15J", "11003B"},      // 3 town: JCG as 11003, town
    {"JA2WCC/M", "24/05/05 19:02J", "10007"},     // 4 county: JCG
    {"8J1HAM", "24/05/06 10:10U", "5001"},        // 5 first digit 5: none
    {"JA1YAA", "24/05/07 11:11J", "100106"},      // 6 Tokyo ward after 2010: JCC
    {"JE1QRP/QRP", "24/05/08 21:00J", "28004A"},  // 7 town: JCG as 28004, town
    {"JR6ABC", "24/05/09 06:30J", "4701"},        // 8 city: JCC
    {"JA8XYZ", "24/05/10 07:45J", "0101"},        // 9 city Sapporo: JCC
    {"JO1ABC", "24/05/11 12:00J", "12004"},       // 10 county: JCG
    {"JF3DEF", "24/05/12 13:13J", "2501"},        // 11 city Osaka: JCC
    {"JK1GHI", "24/05/13 14:14J", ""},            // 12 no code: none
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

std::string BackupLine(int number)
{
    return "BAK line " + std::to_string(number) + " JA1ABC 599 599 7.012 CW\r\n";
}

std::string CallsignOf(int record)
{
    const std::string leading = kVersion5Rows[record - 1].leading;
    return leading.substr(0, leading.find('/'));
}

void WriteDatabases()
{
    std::vector<Version5Sample> samples;
    for (const LogRow& row : kVersion5Rows) {
        samples.push_back({row.leading, row.code, row.stamp, "JEX", "東京都台東区"});
    }
    WriteVersion5Log(samples);

    WriteVersion4Log({std::begin(kVersion4Calls), std::end(kVersion4Calls)}, "24/05/03 12:34J");

    std::string backup;
    for (int line = 1; line <= kBackupLines; ++line) {
        backup += BackupLine(line);
    }
    WriteFileBytes("BAK0001.TXT", backup);
}

std::wstring Wide(const std::string& path)
{
    return fs::path(path).wstring();
}

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
        if (only.empty() || only.count(record) != 0) {
            calls.push_back(CallsignOf(record));
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

std::string TestName()
{
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name) {
        if (c == '/') {
            c = '_';
        }
    }
    return name;
}

// Screenshots for people to look at, beside the test executables.
void SaveTestScreenshot(std::initializer_list<HWND> windows, const std::string& suffix = "")
{
    const std::string folder = TestExecutableFolder() + "screenshots";
    fs::create_directories(folder);
    SaveScreenshot(windows, Wide(folder + "/" + TestName() + suffix + ".bmp"));
}

class DialogE2eTest : public testing::Test {
protected:
    // The folder as a user has it: the program, the log library, both
    // databases and the backup file.
    void SetUp() override
    {
        fs::copy_file(TestExecutableFolder() + "../tarvek_dconv.exe", "tarvek_dconv.exe");
        InstallStandin();
        WriteDatabases();
    }

    std::unique_ptr<DialogDriver> Start(const std::string& executable = "tarvek_dconv.exe")
    {
        auto driver = std::make_unique<DialogDriver>(Wide(m_folder.Path() + "/" + executable),
                                                     Wide(m_folder.Path()));
        EXPECT_TRUE(driver->IsRunning()) << "the dialog did not come up";
        return driver;
    }

    // The bytes the core writes for the mode and range, in a folder of the
    // same files, as the reference for what the dialog must produce.
    std::string CoreOutput(int mode, int start, int end, const std::string& file)
    {
        const fs::path here = fs::current_path();
        const fs::path reference = here / "reference";
        fs::create_directory(reference);
        for (const char* name : {"TARVEK50.DLL", "TARVEK.DBS", "TARVEK.VDB", "BAK0001.TXT"}) {
            fs::copy_file(here / name, reference / name);
        }
        fs::current_path(reference);
        RecordingNotifier notifier;
        RunModeExtraction(mode, start, end, notifier);
        std::string bytes = ReadFileBytes(file);
        fs::current_path(here);
        EXPECT_EQ(Texts{kFinished}, notifier.Messages());
        return bytes;
    }

    ScratchFolder m_folder;
};

TEST_F(DialogE2eTest, FirstStartChecksVersion5AndProposesItsWholeLog)
{
    const std::set<std::string> before = FolderContents();
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    SaveTestScreenshot({dialog->Dialog()});
    EXPECT_EQ(Texts{}, TextsOf(dialog->Startup()));
    EXPECT_EQ(kTitle, dialog->Title());
    for (int mode = 1; mode <= 5; ++mode) {
        EXPECT_EQ(mode == kModeVersion5, dialog->IsChecked(kModeButtons[mode - 1])) << mode;
    }
    EXPECT_EQ("1", dialog->Text(IDC_START));
    EXPECT_EQ(std::to_string(kVersion5Count), dialog->Text(IDC_END));
    EXPECT_EQ(SettingsBytes(kModeVersion5), ReadFileBytes(kSettingsFile));
    // The focus starts on the first tab stop, the Extraction button.
    EXPECT_EQ(IDOK, dialog->FocusedControlId());
    EXPECT_EQ(kFieldLimit, dialog->TextLimit(IDC_START));
    EXPECT_EQ(kFieldLimit, dialog->TextLimit(IDC_END));

    std::set<std::string> expected = before;
    expected.insert(kSettingsFile);
    EXPECT_EQ(expected, FolderContents());
}

TEST_F(DialogE2eTest, ModeZeroCopiesTheTypedRangeOfBackupLines)
{
    WriteFileBytes(kSettingsFile, SettingsBytes(kModeBackupCopy));
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    for (const int button : kModeButtons) {
        EXPECT_FALSE(dialog->IsChecked(button)) << button;
    }
    EXPECT_EQ("", dialog->Text(IDC_START));
    EXPECT_EQ("", dialog->Text(IDC_END));

    dialog->Enter(IDC_START, Entry::kTyped, "3");
    dialog->Enter(IDC_END, Entry::kTyped, "7");
    EXPECT_EQ(Texts{kFinished}, TextsOf(dialog->Click(IDOK)));
    std::string expected;
    for (int line = 3; line <= 7; ++line) {
        expected += BackupLine(line);
    }
    EXPECT_EQ(expected, ReadFileBytes("TARVEK_CONV_DATA.TXT"));
    EXPECT_EQ(SettingsBytes(kModeBackupCopy), ReadFileBytes(kSettingsFile));
}

struct FieldsCase {
    const char* name;
    const char* start;
    const char* end;
};

// Ranges that are refused: a zero end, a start above the end, texts without
// digits (full-width digits are not digits to the conversion).
const FieldsCase kRefusedRanges[] = {
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
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    for (const FieldsCase& c : kRefusedRanges) {
        SCOPED_TRACE(c.name);
        dialog->SetText(IDC_START, c.start);
        dialog->SetText(IDC_END, c.end);
        EXPECT_EQ(Texts{kInvalidNumbers}, TextsOf(dialog->Click(IDOK)));
        EXPECT_EQ(c.start, dialog->Text(IDC_START));
        EXPECT_EQ(c.end, dialog->Text(IDC_END));
        EXPECT_FALSE(FileExists("TARVEK5_EXT_DAT.TXT"));
    }
}

struct PassingCase {
    const char* name;
    const char* start;
    const char* end;
    int firstLine;
    int lastLine;
};

// Ranges that pass and what the backup copy makes of them: digits up to the
// first other character count, a sign and leading spaces are taken, and a
// negative start copies from the first line.
const PassingCase kPassingRanges[] = {
    {"negative_start", "-2", "10", 1, 10},
    {"trailing_letters", "12abc", "12", 12, 12},
    {"signs_and_spaces", "  +4", " 6", 4, 6},
    {"end_beyond_input", "14", "999", 14, kBackupLines},
};

TEST_F(DialogE2eTest, PassingRangesRunWithTheConvertedNumbers)
{
    WriteFileBytes(kSettingsFile, SettingsBytes(kModeBackupCopy));
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    for (const PassingCase& c : kPassingRanges) {
        SCOPED_TRACE(c.name);
        dialog->SetText(IDC_START, c.start);
        dialog->SetText(IDC_END, c.end);
        EXPECT_EQ(Texts{kFinished}, TextsOf(dialog->Click(IDOK)));
        std::string expected;
        for (int line = c.firstLine; line <= c.lastLine; ++line) {
            expected += BackupLine(line);
        }
        EXPECT_EQ(expected, ReadFileBytes("TARVEK_CONV_DATA.TXT"));
        EXPECT_EQ(c.start, dialog->Text(IDC_START));
    }
}

TEST_F(DialogE2eTest, NegativeStartReachesTheVersion5Extraction)
{
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    dialog->SetText(IDC_START, "-2");
    dialog->SetText(IDC_END, "10");
    // The library cannot read record -2, so the run stops at once.
    EXPECT_EQ((Texts{kUnreadable, kFinished}), TextsOf(dialog->Click(IDOK)));
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
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    for (const LimitCase& c : kLimitCases) {
        SCOPED_TRACE(c.name);
        for (const int field : {IDC_START, IDC_END}) {
            dialog->SetText(field, c.before);
            dialog->Enter(field, c.entry, c.text, c.start, c.end);
            if (c.key != 0) {
                dialog->PressKey(field, c.key);
            }
            EXPECT_EQ(c.after, dialog->Text(field)) << field;
            EXPECT_EQ(c.selectionEnd, dialog->Selection(field).second) << field;
            EXPECT_EQ(kFieldLimit, dialog->TextLimit(field)) << field;
        }
    }
}

TEST_F(DialogE2eTest, SevenDigitCountIsShownInFullAndWarnedAboutOnReading)
{
    SetStandinControl("TARVEK_STANDIN_COUNT", "1234567");
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    EXPECT_EQ("1", dialog->Text(IDC_START));
    EXPECT_EQ("1234567", dialog->Text(IDC_END));
    SaveTestScreenshot({dialog->Dialog()});

    // Reading stops at the end field, so the start field typed meanwhile is
    // not read: it shows the 1 it held before, and the run starts there.
    dialog->SetText(IDC_START, "5");
    dialog->WatchMessageBoxes([](HWND box, const SeenMessage& message) {
        if (message.text == kTooLong) {
            SaveTestScreenshot({box}, "-message");
        }
    });
    EXPECT_EQ((Texts{kTooLong, kUnreadable, kFinished}), TextsOf(dialog->Click(IDOK)));
    EXPECT_EQ(Version5Calls(1, kVersion5Count), CallsignsIn("TARVEK5_EXT_DAT.TXT"));
    EXPECT_EQ("1", dialog->Text(IDC_START));
    EXPECT_EQ("1234567", dialog->Text(IDC_END));
    EXPECT_EQ(IDC_END, dialog->FocusedControlId());
    // The handler's own showing of the values leaves the field alone.
    EXPECT_EQ((std::pair<int, int>{0, 7}), dialog->Selection(IDC_END));
    EXPECT_EQ(kFieldLimit, dialog->TextLimit(IDC_START));
    EXPECT_EQ(kFieldLimit, dialog->TextLimit(IDC_END));

    // A mode click reads the fields too, warns, and goes on.
    EXPECT_EQ(Texts{kTooLong}, TextsOf(dialog->Click(IDC_MODE_JCC)));
    EXPECT_EQ("1234567", dialog->Text(IDC_END));
    EXPECT_EQ(SettingsBytes(kModeJcc), ReadFileBytes(kSettingsFile));
}

TEST_F(DialogE2eTest, EnterRunsExtractionAndTheDialogStaysOpen)
{
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    dialog->SetText(IDC_START, "2");
    dialog->SetText(IDC_END, "4");
    EXPECT_EQ(Texts{kFinished}, TextsOf(dialog->PressKeyForMessages(IDC_START, VK_RETURN)));
    EXPECT_TRUE(dialog->IsRunning());
    EXPECT_TRUE(IsWindowVisible(dialog->Dialog()));
    EXPECT_EQ("2", dialog->Text(IDC_START));
    EXPECT_EQ("4", dialog->Text(IDC_END));
    EXPECT_EQ(Version5Calls(2, 4), CallsignsIn("TARVEK5_EXT_DAT.TXT"));

    // And again, from the end field.
    dialog->SetText(IDC_START, "7");
    dialog->SetText(IDC_END, "7");
    EXPECT_EQ(Texts{kFinished}, TextsOf(dialog->PressKeyForMessages(IDC_END, VK_RETURN)));
    EXPECT_EQ(Version5Calls(7, 7), CallsignsIn("TARVEK5_EXT_DAT.TXT"));
}

// Showing values that a field already holds leaves its caret where it is.
TEST_F(DialogE2eTest, EnterKeepsTheCaretInTheField)
{
    // A mode without a button: Extraction then runs nothing and shows
    // nothing, so only the exchanges touch the fields.
    WriteFileBytes(kSettingsFile, "flag=9\r");
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    dialog->SetText(IDC_START, "34");
    dialog->SetText(IDC_END, "123");
    for (const int field : {IDC_START, IDC_END}) {
        SCOPED_TRACE(field);
        const int middle = 1;
        dialog->Enter(field, Entry::kTyped, "", middle, middle);
        EXPECT_EQ(Texts{}, TextsOf(dialog->PressKey(field, VK_RETURN)));
        EXPECT_EQ((std::pair<int, int>{middle, middle}), dialog->Selection(field));
        EXPECT_EQ(field, dialog->FocusedControlId());
        EXPECT_EQ(kFieldLimit, dialog->TextLimit(field));
    }
    EXPECT_EQ("34", dialog->Text(IDC_START));
    EXPECT_EQ("123", dialog->Text(IDC_END));
}

TEST_F(DialogE2eTest, ClickingTheCheckedButtonRefillsTheFields)
{
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    dialog->SetText(IDC_START, "3");
    dialog->SetText(IDC_END, "4");
    EXPECT_EQ(Texts{}, TextsOf(dialog->Click(IDC_MODE_VER5)));
    EXPECT_TRUE(dialog->IsChecked(IDC_MODE_VER5));
    EXPECT_EQ("1", dialog->Text(IDC_START));
    EXPECT_EQ(std::to_string(kVersion5Count), dialog->Text(IDC_END));
    EXPECT_EQ(SettingsBytes(kModeVersion5), ReadFileBytes(kSettingsFile));
    EXPECT_EQ(kFieldLimit, dialog->TextLimit(IDC_START));
    EXPECT_EQ(kFieldLimit, dialog->TextLimit(IDC_END));
}

TEST_F(DialogE2eTest, EachModeButtonProposesItsDatabaseAndStoresItsMode)
{
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    for (int mode = kModeVersion4; mode <= kModeTown; ++mode) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(Texts{}, TextsOf(dialog->Click(kModeButtons[mode - 1])));
        for (int other = kModeVersion4; other <= kModeTown; ++other) {
            EXPECT_EQ(other == mode, dialog->IsChecked(kModeButtons[other - 1])) << other;
        }
        const int count = mode == kModeVersion4 ? kVersion4Count : kVersion5Count;
        EXPECT_EQ("1", dialog->Text(IDC_START));
        EXPECT_EQ(std::to_string(count), dialog->Text(IDC_END));
        EXPECT_EQ(SettingsBytes(mode), ReadFileBytes(kSettingsFile));
    }
}

TEST_F(DialogE2eTest, ModeClickWithoutItsDatabaseBlanksTheFieldsAndStoresTheMode)
{
    fs::remove("TARVEK.DBS");
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    EXPECT_EQ(Texts{}, TextsOf(dialog->Click(IDC_MODE_VER4)));
    EXPECT_EQ(kSixSpaces, dialog->Text(IDC_START));
    EXPECT_EQ(kSixSpaces, dialog->Text(IDC_END));
    EXPECT_EQ(SettingsBytes(kModeVersion4), ReadFileBytes(kSettingsFile));
    // Six spaces convert to 0.
    EXPECT_EQ(Texts{kInvalidNumbers}, TextsOf(dialog->Click(IDOK)));
    EXPECT_FALSE(FileExists("TARVEK4_EXT_DAT.TXT"));
}

TEST_F(DialogE2eTest, SettingsEditedWhileOpenDecideWhatExtractionRuns)
{
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    WriteFileBytes(kSettingsFile, SettingsBytes(kModeJcc));
    EXPECT_EQ(Texts{kFinished}, TextsOf(dialog->Click(IDOK)));
    EXPECT_EQ(Version5Calls(1, kVersion5Count, kJccRecords), CallsignsIn("TARVEK5_JCC_DAT.TXT"));
    EXPECT_FALSE(FileExists("TARVEK5_EXT_DAT.TXT"));
    EXPECT_TRUE(dialog->IsChecked(IDC_MODE_VER5));
    EXPECT_FALSE(dialog->IsChecked(IDC_MODE_JCC));

    // A mode without a button runs nothing and says nothing.
    const std::set<std::string> before = FolderContents();
    WriteFileBytes(kSettingsFile, "flag=9\r");
    EXPECT_EQ(Texts{}, TextsOf(dialog->Click(IDOK)));
    EXPECT_EQ(before, FolderContents());
}

TEST_F(DialogE2eTest, ModeWithoutButtonInTheSettingsChecksNothing)
{
    WriteFileBytes(kSettingsFile, "flag=7\r");
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    for (const int button : kModeButtons) {
        EXPECT_FALSE(dialog->IsChecked(button)) << button;
    }
    // Mode 7 counts the version-5 database, and Extraction runs nothing.
    EXPECT_EQ("1", dialog->Text(IDC_START));
    EXPECT_EQ(std::to_string(kVersion5Count), dialog->Text(IDC_END));
    const std::set<std::string> before = FolderContents();
    EXPECT_EQ(Texts{}, TextsOf(dialog->Click(IDOK)));
    EXPECT_EQ(before, FolderContents());
    EXPECT_EQ("flag=7\r", ReadFileBytes(kSettingsFile));
}

TEST_F(DialogE2eTest, WithoutTheLibraryEveryProbeAndExtractionSaysSo)
{
    fs::remove("TARVEK50.DLL");
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    EXPECT_EQ(Texts{kNoLibrary}, TextsOf(dialog->Startup()));
    EXPECT_TRUE(dialog->IsChecked(IDC_MODE_VER5));
    EXPECT_EQ("", dialog->Text(IDC_START));
    EXPECT_EQ("", dialog->Text(IDC_END));

    dialog->WatchMessageBoxes([](HWND box, const SeenMessage&) {
        SaveTestScreenshot({GetWindow(box, GW_OWNER), box}, "-message");
    });
    for (int mode = kModeVersion4; mode <= kModeTown; ++mode) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(Texts{kNoLibrary}, TextsOf(dialog->Click(kModeButtons[mode - 1])));
        EXPECT_EQ(kSixSpaces, dialog->Text(IDC_START));
        EXPECT_EQ(kSixSpaces, dialog->Text(IDC_END));
        EXPECT_EQ(SettingsBytes(mode), ReadFileBytes(kSettingsFile));
    }
    dialog->SetText(IDC_START, "1");
    dialog->SetText(IDC_END, "2");
    EXPECT_EQ(Texts{kNoLibrary}, TextsOf(dialog->Click(IDOK)));
    EXPECT_FALSE(FileExists("TARVEK5_TOWN_DAT.TXT"));
}

// The caption of the message boxes is the executable's name, whatever it is.
TEST_F(DialogE2eTest, MessageCaptionIsTheExecutableName)
{
    fs::rename("tarvek_dconv.exe", "LogTool.exe");
    fs::remove("TARVEK50.DLL");
    auto dialog = Start("LogTool.exe");
    ASSERT_TRUE(dialog->IsRunning());
    ASSERT_EQ(1U, dialog->Startup().size());
    EXPECT_EQ("LogTool", dialog->Startup()[0].caption);
    EXPECT_EQ(kNoLibrary, dialog->Startup()[0].text);
    EXPECT_EQ(kTitle, dialog->Title());
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
        while (!m_ready) {
            Sleep(10);
        }
    }
    ~HelpEngineRecorder()
    {
        PostMessageW(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
    }
    HelpEngineRecorder(const HelpEngineRecorder&) = delete;
    HelpEngineRecorder& operator=(const HelpEngineRecorder&) = delete;

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
        if (message == WM_CLOSE) {
            DestroyWindow(window);
            PostQuitMessage(0);
            return 0;
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
    ViewerRecorder(const ViewerRecorder&) = delete;
    ViewerRecorder& operator=(const ViewerRecorder&) = delete;

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

// The message of the help command that opens nothing: the web page's file
// name in place of "%1".
std::string GuideCannotOpenText()
{
    std::string text = kMsgGuideCannotOpen;
    const std::size_t at = text.find("%1");
    EXPECT_NE(std::string::npos, at);
    return text.replace(at, 2, kHtmlGuideFileName);
}

TEST_F(DialogE2eTest, HelpOpensTheHelpFileOrElseTheGuide)
{
    const std::string helpFile = m_folder.Path() + "/tarvek_dconv.HLP";
    const std::string htmlGuide = m_folder.Path() + "/" + kHtmlGuideFileName;
    const std::string textGuide = m_folder.Path() + "/" + kTextGuideFileName;
    const std::string record = m_folder.Path() + "/opened.record";
    HelpEngineRecorder helpEngine;
    const ViewerRecorder viewer(record);
    for (const HelpCase& c : kHelpCases) {
        SCOPED_TRACE(c.name);
        fs::remove(helpFile);
        fs::remove(htmlGuide);
        fs::remove(textGuide);
        fs::remove(record);
        if (c.helpFile) {
            WriteFileBytes(helpFile, "help");
        }
        if (c.htmlGuide) {
            WriteFileBytes(htmlGuide, "<!DOCTYPE html>");
        }
        if (c.textGuide) {
            WriteFileBytes(textGuide, "guide");
        }
        ViewerRecorder::OpenWebPages(c.webPageViewer);
        const std::size_t requestsBefore = helpEngine.Requests().size();
        auto dialog = Start();
        ASSERT_TRUE(dialog->IsRunning());
        if (c.by == HelpBy::kF1) {
            dialog->PressKeyAsInput(IDC_START, VK_F1);
        } else {
            const Texts expected =
                c.opens == HelpOpens::kNothing ? Texts{GuideCannotOpenText()} : Texts{};
            EXPECT_EQ(expected, TextsOf(dialog->Command(kIdHelp)));
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
        EXPECT_TRUE(dialog->IsRunning());

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
    }
}

enum class Ending { kEscape, kCloseBox };

class DialogEndingTest : public DialogE2eTest, public testing::WithParamInterface<Ending> {};

TEST_P(DialogEndingTest, EndsTheProgramWithoutWritingAFile)
{
    WriteFileBytes(kSettingsFile, SettingsBytes(kModeJcg));
    const std::set<std::string> before = FolderContents();
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    dialog->SetText(IDC_START, "2");
    const bool ended = GetParam() == Ending::kEscape ? dialog->PressKeyToExit(IDC_START, VK_ESCAPE)
                                                     : dialog->CloseToExit();
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
    const std::vector<std::string> v4Calls(std::begin(kVersion4Calls) + 1,
                                           std::begin(kVersion4Calls) + kVersion4Count);
    const ModeCase cases[] = {
        {kModeBackupCopy, "TARVEK_CONV_DATA.TXT", {}},
        {kModeVersion4, "TARVEK4_EXT_DAT.TXT", v4Calls},
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
    auto dialog = Start();
    ASSERT_TRUE(dialog->IsRunning());
    if (mode != kModeBackupCopy) {
        EXPECT_EQ(Texts{}, TextsOf(dialog->Click(kModeButtons[mode - 1])));
    }
    dialog->SetText(IDC_START, "2");
    dialog->SetText(IDC_END, std::to_string(end));
    EXPECT_EQ(Texts{kFinished}, TextsOf(dialog->Click(IDOK)));

    const std::string written = ReadFileBytes(c.file);
    EXPECT_FALSE(written.empty());
    EXPECT_EQ(expected, written);
    if (mode == kModeBackupCopy) {
        std::string lines;
        for (int line = 2; line <= end; ++line) {
            lines += BackupLine(line);
        }
        EXPECT_EQ(lines, written);
    } else {
        EXPECT_EQ(c.calls, CallsignsIn(c.file));
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, DialogModeTest, testing::Range(0, 6),
                         [](const testing::TestParamInfo<int>& param) {
                             return "mode" + std::to_string(param.param);
                         });

}  // namespace
