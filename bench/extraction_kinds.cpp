// One extraction, and the reads alone, for the timing programs.
#include "bench/extraction_kinds.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "extract/operation_outcome.h"
#include "extract/version4_extraction.h"
#include "extract/version5_extraction.h"
#include "loglib/log_library.h"
#include "platform/notifier.h"

const ExtractionKind* FindExtractionKind(std::string_view name)
{
    for (const ExtractionKind& kind : kExtractionKinds) {
        if (name == kind.name) {
            return &kind;
        }
    }
    return nullptr;
}

void FailTiming(std::string_view what)
{
    std::fprintf(stderr, "extraction timing: %.*s\n", static_cast<int>(what.size()), what.data());
    std::exit(2);
}

void Extract(const ExtractionKind& kind, int count)
{
    RecordingNotifier notifier;
    const bool version4 = kExtractionModes[kind.mode].source == ModeSource::kVersion4Database;
    const OperationOutcome outcome =
        version4 ? ExtractVersion4(1, count, notifier)
                 : ExtractVersion5(1, count, kExtractionModes[kind.mode], notifier);
    if (outcome.status != OutcomeStatus::kFinished) {
        FailTiming(std::string(kind.label) + ": " +
                   (notifier.Messages().empty() ? "no message" : notifier.Messages().front()));
    }
}

void ReadThroughLibrary(const ExtractionKind& kind, int count)
{
    static std::uint8_t record[kVersion5RecordSize];
    const LogLibraryHold library;
    if (!library.IsLoaded()) {
        FailTiming("cannot load the library");
    }
    const ModeSource source = kExtractionModes[kind.mode].source;
    bool read = true;
    if (source == ModeSource::kVersion4Database) {
        OpenVersion4Database database(library);
        if (!database.IsOpen()) {
            FailTiming(std::string("cannot open ") + SourceFileName(source));
        }
        for (int n = 1; n <= count && read; ++n) {
            read = database.Read(n);
        }
    } else {
        OpenVersion5Database database(library);
        if (!database.IsOpen()) {
            FailTiming(std::string("cannot open ") + SourceFileName(source));
        }
        for (int n = 1; n <= count && read; ++n) {
            read = database.Read(n, record);
        }
    }
    if (!read) {
        FailTiming("a record cannot be read");
    }
}
