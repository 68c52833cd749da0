// Mode 1: every record of a range of the version-4 database "TARVEK.DBS" into
// "TARVEK4_EXT_DAT.TXT".
#pragma once

#include <cstdint>

#include "extract/operation_outcome.h"

class Notifier;

// Builds the finished extraction line in the kLineBufferSize bytes at
// lineBytes from the record at the start of a 724-byte version-4 context.
void BuildVersion4Line(const std::uint8_t* context, char* lineBytes);

// Extracts records start to end inclusive; every outcome is reported through
// the notifier and returned.
OperationOutcome ExtractVersion4(int start, int end, Notifier& notifier);
