// The backup range copy, over text streams.
#include "extract/backup_copy.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "extract/extraction_texts.h"
#include "platform/notifier.h"
#include "platform/text_stream.h"

namespace {

// The characters of one read, the unit that the line numbers count.
constexpr std::size_t kPieceLimit = 200;

// Writes the pieces whose numbers lie in start to end, stopping after piece
// end. False when a write fails; the copy stops there.
bool CopyPieces(TextInputFile& input, TextOutputFile& output, int start, int end)
{
    char piece[kPieceLimit + 1];
    // Wider than int: an end that the counter never meets (a negative one)
    // lets it run as long as the input lasts.
    std::int64_t counter = 0;
    while (const std::size_t length = input.ReadLine(piece, kPieceLimit)) {
        ++counter;
        if (start <= counter && counter <= end && !output.Write({piece, length})) {
            return false;
        }
        if (counter == end) {
            break;
        }
    }
    return true;
}

}  // namespace

void CopyBackupRange(int start, int end, Notifier& notifier)
{
    TextInputFile input;
    if (!input.Open(kBackupInputName)) {
        notifier.Show(kMsgBackupInputNotFound);
        return;
    }
    TextOutputFile output;
    if (!output.Create(kBackupOutputName)) {
        input.Close();
        notifier.Show(std::string(kBackupOutputName) + kMsgSuffixCannotCreate);
        return;
    }
    const bool copied = CopyPieces(input, output, start, end);
    input.Close();
    const bool closed = output.Close();
    // Told only once the output is complete on disk.
    notifier.Show(copied && closed ? std::string(kMsgFinished)
                                   : std::string(kBackupOutputName) + kMsgSuffixCannotWrite);
}
