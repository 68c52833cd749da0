// The backup range copy, over text streams.
#include "extract/backup_copy.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "extract/extraction_modes.h"
#include "extract/extraction_texts.h"
#include "platform/notifier.h"
#include "platform/text_stream.h"

namespace {

// The characters of one read, the unit that the line numbers count.
constexpr std::size_t kPieceLimit = 200;

// Writes the pieces whose numbers lie in start to end, stopping after piece
// end, and counts them into the outcome. False when a write fails; the copy
// stops there.
bool CopyPieces(TextInputFile& input, TextOutputFile& output, int start, int end,
                OperationOutcome& outcome)
{
    char piece[kPieceLimit + 1];
    // Wider than int: an end that the counter never meets (a negative one)
    // lets it run as long as the input lasts.
    std::int64_t counter = 0;
    while (const std::size_t length = input.ReadLine(piece, kPieceLimit)) {
        ++counter;
        ++outcome.itemsRead;
        if (start <= counter && counter <= end) {
            if (!output.Write({piece, length})) {
                return false;
            }
            ++outcome.linesWritten;
        }
        if (counter == end) {
            break;
        }
    }
    return true;
}

}  // namespace

OperationOutcome CopyBackupRange(int start, int end, Notifier& notifier)
{
    OperationOutcome outcome;
    outcome.readUnit = ReadUnit::kLines;
    TextInputFile input;
    if (!input.Open(kBackupInputName)) {
        notifier.Show(BackupInputNotFoundMessage());
        outcome.status = OutcomeStatus::kBackupInputNotFound;
        return outcome;
    }
    TextOutputFile output;
    if (!output.Create(kBackupOutputName)) {
        input.Close();
        notifier.Show(FileMessage(kBackupOutputName, kMsgSuffixCannotCreate));
        outcome.status = OutcomeStatus::kOutputCannotCreate;
        return outcome;
    }
    outcome.outputName = kBackupOutputName;
    const bool copied = CopyPieces(input, output, start, end, outcome);
    input.Close();
    const bool closed = output.Close();
    // Told only once the output is complete on disk.
    if (copied && closed) {
        notifier.Show(kMsgFinished);
        outcome.status = OutcomeStatus::kFinished;
    } else {
        notifier.Show(FileMessage(kBackupOutputName, kMsgSuffixCannotWrite));
        outcome.status = OutcomeStatus::kOutputCannotWrite;
    }
    return outcome;
}
