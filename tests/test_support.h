// Shared helpers of the tests: a scratch working folder per test, the
// stand-in library laid out in it, its test controls, and file bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The messages a notifier was shown, in order.
using Messages = std::vector<std::string>;

// Makes a fresh folder next to the test executables, makes it the working
// directory, and clears the stand-in's controls; undoes all of it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    std::string m_previous;
};

// The folder that holds the running test executable, ending in a separator.
std::string TestExecutableFolder();

// Copies a stand-in build of TARVEK50.DLL into the working directory.
// Variants: "default", "cdecl" (32-bit Windows only), "without_<EntryPoint>".
void InstallStandin(std::string_view variant = "default");

// Sets one of the stand-in's TARVEK_STANDIN_* controls; "" clears it.
void SetStandinControl(const char* name, const std::string& value);

// Turns on the stand-in's call trace, empty, and returns what it recorded
// since, one event a line ("load", "TarvekOpen 0 TARVEK.VDB 0", "unload", ...).
void StartStandinTrace();
std::string StandinTrace();

// Whether TARVEK50.DLL from the working directory is loaded in this process.
bool IsLogLibraryLoaded();

// size bytes of zeros at an address below 4 GiB, as the version-5 record's
// 4-byte address fields need, that end right before an inaccessible page, so
// that any read past them faults. They stay valid until the test program ends.
std::uint8_t* BytesBeforeNoAccessPage(std::size_t size);

// A copy of text and its NUL in such bytes, so that any read past the NUL
// faults, as it may on the log library's own texts.
const char* TextBeforeNoAccessPage(std::string_view text);

// Writes "TARVEK.DBS" in the working directory: one record per callsign
// (F000), each with the stamp (F047). A refused record fails the test.
void WriteVersion4Log(const std::vector<std::string>& callsigns, const std::string& stamp = "");

// The texts of a sample version-5 record that tests tell records apart by;
// every other text is empty.
struct Version5Sample {
    std::string leading;  // "call/suffix"
    std::string code = {};
    std::string stamp = {};
    std::string text51 = {};
    std::string f064 = {};  // the addressed text of F064, which the JCC and JCG modes blank
};

// Writes "TARVEK.VDB" in the working directory, one record per sample. A
// refused record fails the test.
void WriteVersion5Log(const std::vector<Version5Sample>& samples);

// Lays out in the working directory the stand-in and a source for every
// mode: version-4 records JA4AAA, JA4BBB and JA4CCC; four version-5 records,
// so that the two counts differ, JA5AAA with a city code, which only the JCC
// test accepts, and JA5BBB to JA5DDD with town codes, which the JCG and the
// town tests accept and the JCC test rejects; and backup lines BAK1 to BAK3.
void LayOutEverySource();

// The names in the working directory.
std::set<std::string> FolderContents();

// A folder that the build lays out with output files linked to the full
// device, since a Windows program under Wine cannot make such links itself:
// the working directory while it lives. At its end the sources and trace
// that a test put there are removed, and the previous working directory is
// back. IsReady() fails the test when the build made no link.
class FullDeviceFolder {
public:
    FullDeviceFolder(const std::string& name, const std::string& linkedFile);
    ~FullDeviceFolder();
    FullDeviceFolder(const FullDeviceFolder&) = delete;
    FullDeviceFolder& operator=(const FullDeviceFolder&) = delete;

    bool IsReady() const { return m_ready; }

private:
    ScratchFolder m_scratch;  // gives back the working directory at the end
    bool m_ready = false;
};

// The messages that an output file cannot be created, or not written.
std::string CannotCreateMessage(const char* file);
std::string CannotWriteMessage(const char* file);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, std::string_view bytes);
bool FileExists(const std::string& path);
