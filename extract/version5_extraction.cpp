// The version-5 extraction: record layout, line building, the mode step, and
// its source for the shared extraction flow.
#include "extract/version5_extraction.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "extract/extraction_line.h"
#include "extract/extraction_modes.h"
#include "extract/extraction_run.h"
#include "extract/extraction_texts.h"
#include "loglib/log_library.h"

namespace {

// Offsets of the texts held in the record itself.
constexpr int kLeadingTextOffset = 0;
constexpr int kCodeOffset = 37;
constexpr int kText44Offset = 44;
constexpr int kText51Offset = 51;
constexpr int kText57Offset = 57;

// Offsets of the 4-byte addresses of the texts the library keeps.
constexpr int kAddress821 = 821;
constexpr int kAddress825 = 825;
constexpr int kAddress829 = 829;
constexpr int kAddress833 = 833;
constexpr int kAddress837 = 837;
constexpr int kAddress841 = 841;
constexpr int kAddress845 = 845;

// The leading text "call/suffix" ends within these bytes; when it fills all
// of them the suffix is looked for one byte further on.
constexpr int kLeadingTextRoom = 20;
// The slash rule covers the bytes a line can be built from.
constexpr int kSlashRuleBytes = 203;

// The stamp "yy/mm/dd hh:mmZ", whose characters without the separators
// reach F047.
constexpr int kStampOffset = 21;

// The record buffer is process-wide and never cleared here: bytes that a read
// does not write keep what the previous record left.
std::uint8_t g_version5Record[kVersion5RecordSize];

#ifdef TARVEK_FAST_LINE
// The block with each slash turned into NUL.
line_words::Block WithoutSlashes(line_words::Block block)
{
    return _mm_andnot_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('/')), block);
}

void ApplySlashRule(std::uint8_t* record)
{
    using namespace line_words;
    // By whole blocks: twelve, then one that ends with the rule's last byte
    // and overlaps the twelfth, where a loop by bytes took eleven turns for
    // the last eleven. That one is read before any is stored, so that its
    // read waits for no store, and stored last; the rule gives the bytes
    // both blocks hold the same value either way.
    auto* bytes = reinterpret_cast<char*>(record);
    const Block last = WithoutSlashes(LoadBlock(bytes + kSlashRuleBytes - kBlockBytes));
    for (std::size_t i = 0; i + kBlockBytes <= kSlashRuleBytes; i += kBlockBytes) {
        StoreBlock(bytes + i, WithoutSlashes(LoadBlock(bytes + i)));
    }
    StoreBlock(bytes + kSlashRuleBytes - kBlockBytes, last);
}
#else
// Byte by byte, as the line's plain twin places texts.
void ApplySlashRule(std::uint8_t* record)
{
    std::replace(record, record + kSlashRuleBytes, std::uint8_t{'/'}, std::uint8_t{'\0'});
}
#endif

void PlaceRecordText(ExtractionLine& line, int column, const std::uint8_t* record, int offset)
{
    PlaceText(line, column, reinterpret_cast<const char*>(record + offset),
              static_cast<std::size_t>(kVersion5RecordSize - offset));
}

// Places the text whose address the record holds at addressOffset. The library
// owns the text and gives no length: it is placed as PlaceTerminatedText
// places one, no read reaching past the page of its NUL. An address of 0 is
// an empty text.
inline void PlaceAddressedText(ExtractionLine& line, int column, const std::uint8_t* record,
                               int addressOffset)
{
    const auto address = static_cast<std::uint32_t>(ReadInt32Le(record + addressOffset));
    // The library hands out texts by 32-bit address, below 4 GiB in every build.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    const char* text = reinterpret_cast<const char*>(std::uintptr_t{address});
    PlaceTerminatedText(line, column, address == 0 ? "" : text);
}

// Where the suffix starts: one byte behind the leading text's first NUL, or
// behind all its room. Found by words, the record holding every byte that
// they read, rather than by a call of memchr, which cost more than the scan.
int SuffixOffset(const std::uint8_t* record)
{
    using namespace line_words;
    const auto* bytes = reinterpret_cast<const char*>(record);
    for (int i = 0; i < kLeadingTextRoom; i += static_cast<int>(kWordBytes)) {
        const Word zeros = ZeroBytes(LoadWord(bytes + i));
        if (zeros != 0) {
            return std::min(i + std::countr_zero(zeros) / 8, kLeadingTextRoom) + 1;
        }
    }
    return kLeadingTextRoom + 1;
}

// Marks a finished line, which FinishLine has left known blank nowhere.
void MarkAcceptedLine(char* line)
{
    if (line[kMarkColumn] != ' ') {
        line[kMarkColumn] = 'C';
    }
}

// The filter's test of a record, told from its code alone.
bool KeepsRecord(const ModeFilter& filter, const std::uint8_t* record)
{
    // The tests read the record's code as they would read it in the line. In
    // the line the code ends at its first NUL or slash, placed as a space,
    // and behind that F010 may still hold what a long F000 or F007 text left
    // there (the line may read "12 NOP"), but the verdicts are the same: each
    // test counts only the bytes before the first that is not a digit (JCC,
    // JCG) or not 0x30 to 0x3F (town), and neither a NUL, a slash nor a space
    // is one; nor is any of them the upper-case letter that a town code ends
    // with.
    return filter.keepsRecordCode(reinterpret_cast<const char*>(record + kCodeOffset));
}

// The filter's step on a finished line: its test, then the mark and, where
// the mode says so, F064 blanked.
bool TakeFilterStep(const ModeFilter& filter, char* line)
{
    if (!filter.keepsLine(line)) {
        return false;
    }
    MarkAcceptedLine(line);
    if (filter.blanksF064) {
        std::memset(line + F064, ' ', kF064Width);
    }
    return true;
}

class Version5Source final : public RecordSource {
public:
    Version5Source(const LogLibraryHold& library, const ExtractionMode& mode)
        : m_database(library), m_filter(mode.filter)
    {
    }

    bool IsOpen() const override { return m_database.IsOpen(); }

    std::string OpenFailureMessage() const override { return kMsgVersion5DatabaseCannotOpen; }

    // A record that the mode's test drops is told by its code alone, and its
    // line is not built: most records of a log fail the JCG and town tests.
    // It is left as read, without the slash rule: bytes of it that the next
    // read leaves get the rule with that record, and the rule applied again
    // changes nothing; to the mode's test a slash ends the code as the NUL it
    // becomes does.
    RecordLine ReadRecord(int recordNumber, char* line) override
    {
        if (!m_database.Read(recordNumber, g_version5Record)) {
            return RecordLine::kUnreadable;
        }
        if (m_filter == nullptr) {
            BuildVersion5Line(g_version5Record, line);
            return RecordLine::kBuilt;
        }
        if (!KeepsRecord(*m_filter, g_version5Record)) {
            return RecordLine::kDropped;
        }
        BuildVersion5Line(g_version5Record, line);
        return TakeFilterStep(*m_filter, line) ? RecordLine::kBuilt : RecordLine::kDropped;
    }

    void CloseDatabase() override { m_database.Close(); }

private:
    OpenVersion5Database m_database;
    // The mode's filter, taken from its row once: looked up in the table for
    // every record, it took 1 to 5 % of a filtered extraction's own time.
    const ModeFilter* const m_filter;
};

}  // namespace

void BuildVersion5Line(std::uint8_t* record, char* lineBytes)
{
    ExtractionLine line{lineBytes};
    ClearLine(line);
    ApplySlashRule(record);
    PlaceRecordText(line, F000, record, kLeadingTextOffset);
    PlaceRecordText(line, F007, record, SuffixOffset(record));
    PlaceRecordText(line, F010, record, kCodeOffset);
    PlaceRecordText(line, F016, record, kText44Offset);
    PlaceAddressedText(line, F022, record, kAddress825);
    PlaceAddressedText(line, F029, record, kAddress829);
    PlaceAddressedText(line, F032, record, kAddress833);
    PlaceRecordText(line, F044, record, kText51Offset);
    StoreStamp(line, record + kStampOffset);
    PlaceRecordText(line, F058, record, kText57Offset);
    PlaceAddressedText(line, F061, record, kAddress821);
    PlaceAddressedText(line, F064, record, kAddress837);
    PlaceAddressedText(line, F092, record, kAddress841);
    PlaceAddressedText(line, F146, record, kAddress845);
    FinishLine(line);
}

bool PassesModeTest(const ExtractionMode& mode, const std::uint8_t* record)
{
    return mode.filter == nullptr || KeepsRecord(*mode.filter, record);
}

bool ApplyModeStep(const ExtractionMode& mode, char* line)
{
    return mode.filter == nullptr || TakeFilterStep(*mode.filter, line);
}

OperationOutcome ExtractVersion5(int start, int end, const ExtractionMode& mode, Notifier& notifier)
{
    if (mode.source != ModeSource::kVersion5Database) {
        return {};
    }
    LogLibraryHold library;
    Version5Source source(library, mode);
    return RunExtraction(library, source, mode.outputName, start, end, notifier);
}
