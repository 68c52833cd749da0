// The modes of the Extraction button, each described once: its number as the
// settings file keeps it, its word on the console's command line, what it
// reads, the file it writes, its filter, and its button in the dialog. Plain
// data, so that every layer above the extractions finds a mode by its number.
#pragma once

#include "extract/reference_filters.h"
#include "loglib/log_library.h"

// The mode buttons set 1 to 5; only a hand-edited settings file holds 0 or 6
// to 15.
inline constexpr int kModeBackupCopy = 0;
inline constexpr int kModeVersion4 = 1;
inline constexpr int kModeVersion5 = 2;
inline constexpr int kModeJcc = 3;
inline constexpr int kModeJcg = 4;
inline constexpr int kModeTown = 5;

inline constexpr const char* kBackupInputName = "BAK0001.TXT";

inline constexpr const char* kBackupOutputName = "TARVEK_CONV_DATA.TXT";
inline constexpr const char* kVersion4OutputName = "TARVEK4_EXT_DAT.TXT";
inline constexpr const char* kVersion5OutputName = "TARVEK5_EXT_DAT.TXT";
inline constexpr const char* kJccOutputName = "TARVEK5_JCC_DAT.TXT";
inline constexpr const char* kJcgOutputName = "TARVEK5_JCG_DAT.TXT";
inline constexpr const char* kTownOutputName = "TARVEK5_TOWN_DAT.TXT";

// What a mode reads: the backup text, or one of the log library's databases.
enum class ModeSource { kBackupText, kVersion4Database, kVersion5Database };

// What a mode that keeps only some version-5 records runs on each: the test
// of the record's code, which drops it before its line is built, then the
// test of the finished line, which may shorten the code in it. A kept line is
// marked, and its F064 blanked where the mode says so.
struct ModeFilter {
    bool (*keepsRecordCode)(const char* code);
    bool (*keepsLine)(char* line);
    bool blanksF064;
};

inline constexpr ModeFilter kJccFilter = {AcceptsJccCode, KeepsJccLine, true};
inline constexpr ModeFilter kJcgFilter = {AcceptsJcgCode, KeepsJcgLine, true};
inline constexpr ModeFilter kTownFilter = {AcceptsTownCode, KeepsTownLine, false};

// The dialog's mode buttons are counted from 0 in the order of their resource
// identifiers; the backup copy has none.
inline constexpr int kNoModeButton = -1;

struct ExtractionMode {
    int number;
    ModeSource source;
    const char* word;  // on the console's command line
    const char* outputName;
    const ModeFilter* filter;  // nullptr: every record is kept as it is built
    int button;                // the ordinal of its button, or kNoModeButton
};

// Row n holds mode n.
inline constexpr ExtractionMode kExtractionModes[] = {
    {kModeBackupCopy, ModeSource::kBackupText, "backup", kBackupOutputName, nullptr, kNoModeButton},
    {kModeVersion4, ModeSource::kVersion4Database, "ver4", kVersion4OutputName, nullptr, 0},
    {kModeVersion5, ModeSource::kVersion5Database, "ver5", kVersion5OutputName, nullptr, 1},
    {kModeJcc, ModeSource::kVersion5Database, "jcc", kJccOutputName, &kJccFilter, 2},
    {kModeJcg, ModeSource::kVersion5Database, "jcg", kJcgOutputName, &kJcgFilter, 3},
    {kModeTown, ModeSource::kVersion5Database, "town", kTownOutputName, &kTownFilter, 4},
};

inline constexpr int kModeCount =
    static_cast<int>(sizeof kExtractionModes / sizeof(ExtractionMode));

constexpr int CountModeButtons()
{
    int buttons = 0;
    for (const ExtractionMode& row : kExtractionModes) {
        buttons += row.button != kNoModeButton ? 1 : 0;
    }
    return buttons;
}
inline constexpr int kModeButtonCount = CountModeButtons();

constexpr bool EachRowHoldsItsMode()
{
    for (int i = 0; i < kModeCount; ++i) {
        if (kExtractionModes[i].number != i) {
            return false;
        }
    }
    return true;
}
static_assert(EachRowHoldsItsMode(), "kExtractionModes must list the modes in number order");

// Only the version-5 extraction runs a filter.
constexpr bool OnlyVersion5ModesFilter()
{
    for (const ExtractionMode& row : kExtractionModes) {
        // In this order: the sanitizers' build of GCC cannot compare the
        // address of a filter with nullptr at compile time.
        if (row.source != ModeSource::kVersion5Database && row.filter != nullptr) {
            return false;
        }
    }
    return true;
}
static_assert(OnlyVersion5ModesFilter(), "a filter needs a mode that reads TARVEK.VDB");

// Each ordinal from 0 to kModeButtonCount - 1 belongs to exactly one mode.
constexpr bool EachButtonHasOneMode()
{
    for (int button = 0; button < kModeButtonCount; ++button) {
        int modes = 0;
        for (const ExtractionMode& row : kExtractionModes) {
            modes += row.button == button ? 1 : 0;
        }
        if (modes != 1) {
            return false;
        }
    }
    for (const ExtractionMode& row : kExtractionModes) {
        if (row.button != kNoModeButton && (row.button < 0 || row.button >= kModeButtonCount)) {
            return false;
        }
    }
    return true;
}
static_assert(EachButtonHasOneMode(), "every mode button needs exactly one mode");

// The row of a mode number, or nullptr for a number that names no mode.
constexpr const ExtractionMode* FindExtractionMode(int mode)
{
    return mode >= 0 && mode < kModeCount ? &kExtractionModes[mode] : nullptr;
}

// The row of the mode whose button has that ordinal, or nullptr.
constexpr const ExtractionMode* FindModeOfButton(int button)
{
    for (const ExtractionMode& row : kExtractionModes) {
        if (row.button == button && button != kNoModeButton) {
            return &row;
        }
    }
    return nullptr;
}

// The file that a source names.
constexpr const char* SourceFileName(ModeSource source)
{
    switch (source) {
        case ModeSource::kBackupText:
            return kBackupInputName;
        case ModeSource::kVersion4Database:
            return kVersion4DatabaseName;
        case ModeSource::kVersion5Database:
            return kVersion5DatabaseName;
    }
    return nullptr;
}
