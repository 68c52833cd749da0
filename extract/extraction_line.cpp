// Building and writing the extraction line.
#include "extract/extraction_line.h"

#include "platform/output_file.h"

bool WriteLine(OutputFile& output, const ExtractionLine& line)
{
    return output.Write(line.bytes, kLineBytesOnDisk);
}
