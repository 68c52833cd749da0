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

// The eleven stamp bytes that reach F047: "yy/mm/dd hh:mmZ" at offset 12
// without its separators.
constexpr int kStampOffsets[kStampColumns] = {12, 13, 15, 16, 18, 19, 21, 22, 24, 25, 26};

void PlaceContextText(int column, const std::uint8_t* context, int offset)
{
    PlaceText(column, reinterpret_cast<const char*>(context + offset),
              static_cast<std::size_t>(kVersion4ContextSize - offset));
}

class Version4Source final : public RecordSource {
public:
    explicit Version4Source(const LogLibraryHold& library) : m_database(library) {}

    bool IsOpen() const override { return m_database.IsOpen(); }

    const char* OpenFailureMessage() const override { return kMsgVersion4DatabaseCannotOpen; }

    bool ReadAndBuild(int recordNumber) override
    {
        if (!m_database.Read(recordNumber)) {
            return false;
        }
        BuildVersion4Line(m_database.Context().bytes);
        return true;
    }

    bool KeepLine() override { return true; }

    void CloseDatabase() override { m_database.Close(); }

private:
    OpenVersion4Database m_database;
};

}  // namespace

void BuildVersion4Line(const std::uint8_t* context)
{
    ClearLine();
    PlaceContextText(F000, context, kCallsignOffset);
    PlaceContextText(F007, context, kSuffixOffset);
    PlaceContextText(F010, context, kCodeOffset);
    PlaceContextText(F016, context, kText55Offset);
    PlaceContextText(F022, context, kText36Offset);
    PlaceContextText(F029, context, kText44Offset);
    PlaceContextText(F032, context, kText66Offset);
    PlaceContextText(F044, context, kText62Offset);
    StoreStampBytes(context, kStampOffsets);
    PlaceContextText(F058, context, kText28Offset);
    PlaceContextText(F061, context, kText32Offset);
    PlaceContextText(F064, context, kText79Offset);
    PlaceContextText(F092, context, kText108Offset);
    PlaceContextText(F146, context, kText163Offset);
    FinishLine();
}

OperationOutcome ExtractVersion4(int start, int end, Notifier& notifier)
{
    LogLibraryHold library;
    Version4Source source(library);
    return RunExtraction(library, source, kVersion4OutputName, start, end, notifier);
}
