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
    const OperationOutcome outcome = version4 ? ExtractVersion4(1, count, notifier)
                                              : ExtractVersion5(1, count, kind.mode, notifier);
    if (outcome.status != OutcomeStatus::kFinished) {
        FailTiming(std::string(kind.label) + ": " +
                   (notifier.Messages().empty() ? "no message" : notifier.Messages().front()));
    }
}

void ReadThroughLibrary(const ExtractionKind& kind, int count)
{
    static std::uint8_t record[kVersion5RecordSize];
    if (LoadLogLibrary() != 0) {
        FailTiming("cannot load the library");
    }
    bool read = true;
    if (kExtractionModes[kind.mode].source == ModeSource::kVersion4Database) {
        Version4Context context;
        if (CallDbsDbrOpen(context, kVersion4DatabaseName) != 0) {
            FailTiming(std::string("cannot open ") + kVersion4DatabaseName);
        }
        for (int n = 1; n <= count && read; ++n) {
            read = CallDbsDbrRead(context, n) == 0;
        }
        CallDbsDbrClose(context);
    } else {
        Version5Context context;
        if (CallTarvekOpen(context, kVersion5DatabaseName) != 0) {
            FailTiming(std::string("cannot open ") + kVersion5DatabaseName);
        }
        for (int n = 1; n <= count && read; ++n) {
            read = CallVkdReadv(context, n, record) == 0;
        }
        CallTarvekClose(context);
    }
    FreeLogLibrary();
    if (!read) {
        FailTiming("a record cannot be read");
    }
}
