// The modes of the Extraction button, each described once: its number as the
// settings file keeps it, its word on the console's command line, what it
// reads, the file it writes, its step on a finished line, and its button in
// the dialog. Plain data, so that the binding can choose the database of a
// mode without knowing the dialog or the extractions.
#pragma once

// The mode buttons set 1 to 5; only a hand-edited settings file holds 0 or 6
// to 15.
inline constexpr int kModeBackupCopy = 0;
inline constexpr int kModeVersion4 = 1;
inline constexpr int kModeVersion5 = 2;
inline constexpr int kModeJcc = 3;
inline constexpr int kModeJcg = 4;
inline constexpr int kModeTown = 5;

inline constexpr const char* kBackupInputName = "BAK0001.TXT";
inline constexpr const char* kVersion4DatabaseName = "TARVEK.DBS";
inline constexpr const char* kVersion5DatabaseName = "TARVEK.VDB";

inline constexpr const char* kBackupOutputName = "TARVEK_CONV_DATA.TXT";
inline constexpr const char* kVersion4OutputName = "TARVEK4_EXT_DAT.TXT";
inline constexpr const char* kVersion5OutputName = "TARVEK5_EXT_DAT.TXT";
inline constexpr const char* kJccOutputName = "TARVEK5_JCC_DAT.TXT";
inline constexpr const char* kJcgOutputName = "TARVEK5_JCG_DAT.TXT";
inline constexpr const char* kTownOutputName = "TARVEK5_TOWN_DAT.TXT";

// What a mode reads: the backup text, or one of the log library's databases.
enum class ModeSource { kBackupText, kVersion4Database, kVersion5Database };

// The mode's step on a finished line: none, or the test of one reference code.
enum class ModeFilter { kNone, kJcc, kJcg, kTown };

// The dialog's mode buttons are counted from 0 in the order of their resource
// identifiers; the backup copy has none.
inline constexpr int kNoModeButton = -1;
inline constexpr int kModeButtonCount = 5;

struct ExtractionMode {
    int number;
    ModeSource source;
    const char* word;  // on the console's command line
    const char* outputName;
    ModeFilter filter;
    int button;  // the ordinal of its button, or kNoModeButton
};

// Row n holds mode n.
inline constexpr ExtractionMode kExtractionModes[] = {
    {kModeBackupCopy, ModeSource::kBackupText, "backup", kBackupOutputName, ModeFilter::kNone,
     kNoModeButton},
    {kModeVersion4, ModeSource::kVersion4Database, "ver4", kVersion4OutputName, ModeFilter::kNone,
     0},
    {kModeVersion5, ModeSource::kVersion5Database, "ver5", kVersion5OutputName, ModeFilter::kNone,
     1},
    {kModeJcc, ModeSource::kVersion5Database, "jcc", kJccOutputName, ModeFilter::kJcc, 2},
    {kModeJcg, ModeSource::kVersion5Database, "jcg", kJcgOutputName, ModeFilter::kJcg, 3},
    {kModeTown, ModeSource::kVersion5Database, "town", kTownOutputName, ModeFilter::kTown, 4},
};

inline constexpr int kModeCount =
    static_cast<int>(sizeof kExtractionModes / sizeof(ExtractionMode));

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
