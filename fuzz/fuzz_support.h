// Helpers of the fuzz targets: a scratch working folder of the process's own,
// the text-stream reading rules as a plain reference model, whole-file reads
// and writes, and the check that reports a property that does not hold.
#pragma once

#include <string>
#include <string_view>

// Makes a fresh folder the working directory for the rest of the process, on
// a memory file system when the machine has one (/dev/shm), so that a run of
// millions of file operations does not wait on a disk.
void EnterScratchFolder(const char* targetName);

// What reading bytes as a text stream delivers: nothing from the first byte
// 0x1A on, a CR directly followed by LF as one LF, every other byte (a lone
// CR included) as it is.
std::string DecodeTextStream(std::string_view bytes);

std::string ReadWholeFile(const char* name);
void WriteWholeFile(const char* name, std::string_view bytes);

// A property that does not hold ends the run as a finding, with its text.
[[noreturn]] void PropertyFailed(const char* property, const char* file, int line);
#define FUZZ_CHECK(property) ((property) ? (void)0 : PropertyFailed(#property, __FILE__, __LINE__))
