// The version-4 extraction: record layout, line building, and its source for
// the shared extraction flow.
#include "extract/version4_extraction.h"

#include "extract/extraction_line.h"
#include "extract/extraction_run.h"
#include "extract/extraction_texts.h"
#include "loglib/log_library.h"

namespace {

// Offsets of the record's texts at the start of the context.
constexpr int kCallsignOffset = 0;
constexpr int kSuffixOffset = 8;
constexpr int kText28Offset = 28;
constexpr int kText32Offset = 32;
constexpr int kText36Offset = 36;
constexpr int kText44Offset = 44;
constexpr int kCodeOffset = 48;
constexpr int kText55Offset = 55;
constexpr int kText62Offset = 62;
constexpr int kText66Offset = 66;
constexpr int kText79Offset = 79;
constexpr int kText108Offset = 108;
constexpr int kText163Offset = 163;

// The stamp "yy/mm/dd hh:mmZ", whose characters without the separators
// reach F047.
constexpr int kStampOffset = 12;

void PlaceContextText(ExtractionLine& line, int column, const std::uint8_t* context, int offset)
{
    PlaceText(line, column, reinterpret_cast<const char*>(context + offset),
              static_cast<std::size_t>(kVersion4ContextSize - offset));
}

class Version4Source final : public RecordSource {
public:
    explicit Version4Source(const LogLibraryHold& library) : m_database(library) {}

    bool IsOpen() const override { return m_database.IsOpen(); }

    std::string OpenFailureMessage() const override { return Version4DatabaseCannotOpenMessage(); }

    RecordLine ReadRecord(int recordNumber, char* line) override
    {
        if (!m_database.Read(recordNumber)) {
            return RecordLine::kUnreadable;
        }
        BuildVersion4Line(m_database.Context().bytes, line);
        return RecordLine::kBuilt;
    }

    void CloseDatabase() override { m_database.Close(); }

private:
    OpenVersion4Database m_database;
};

}  // namespace

void BuildVersion4Line(const std::uint8_t* context, char* lineBytes)
{
    ExtractionLine line{lineBytes};
    ClearLine(line);
    PlaceContextText(line, F000, context, kCallsignOffset);
    PlaceContextText(line, F007, context, kSuffixOffset);
    PlaceContextText(line, F010, context, kCodeOffset);
    PlaceContextText(line, F016, context, kText55Offset);
    PlaceContextText(line, F022, context, kText36Offset);
    PlaceContextText(line, F029, context, kText44Offset);
    PlaceContextText(line, F032, context, kText66Offset);
    PlaceContextText(line, F044, context, kText62Offset);
    StoreStamp(line, context + kStampOffset);
    PlaceContextText(line, F058, context, kText28Offset);
    PlaceContextText(line, F061, context, kText32Offset);
    PlaceContextText(line, F064, context, kText79Offset);
    PlaceContextText(line, F092, context, kText108Offset);
    PlaceContextText(line, F146, context, kText163Offset);
    FinishLine(line);
}

OperationOutcome ExtractVersion4(int start, int end, Notifier& notifier)
{
    LogLibraryHold library;
    Version4Source source(library);
    return RunExtraction(library, source, kVersion4OutputName, start, end, notifier);
}
