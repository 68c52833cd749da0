// The stand-in for the outside log library TARVEK50.DLL: the six entry points
// over the database files of database_format.h, plus the test controls read
// from TARVEK_STANDIN_* environment variables. Not part of the product.
#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "standin/database_format.h"
#include "standin/mapped_file.h"

// Win32 exports go by the .def file of each variant; natively only these six
// symbols are visible, and a version script narrows them per variant.
#ifdef _WIN32
#ifdef TARVEK_STANDIN_CDECL
#define STANDIN_CALL __cdecl
#else
#define STANDIN_CALL __stdcall
#endif
#define STANDIN_EXPORT
#else
#define STANDIN_CALL
#define STANDIN_EXPORT __attribute__((visibility("default")))
#endif

using namespace standin_db;

namespace {

// The context bytes that the caller relies on (record image, count) and the
// ones where this library keeps the address of its state.
constexpr int kVersion4CountOffset = 280;
constexpr int kVersion4StateOffset = 288;
constexpr int kVersion5CountOffset = 1745;
constexpr int kVersion5StateOffset = 1752;

// The test controls, fixed when a database is opened.
struct Controls {
    bool failOpen = false;
    std::optional<int> failingRecord;
    std::optional<int> reportedCount;
    std::string tracePath;
};

// How many reads pass before the pages they touched are let go.
constexpr int kReadsPerPageRelease = 4096;

// What an open database keeps between calls.
struct OpenDatabase {
    MappedFile file;
    std::int32_t count;  // records in the file, whatever count was reported
    Controls controls;
    int readsSinceRelease = 0;
};

// The two file formats, as far as open tells them apart.
struct DatabaseKind {
    const char* magic;
    std::int32_t layout;
    int countOffset;
    int stateOffset;
    bool lowMapping;  // version-5 texts are handed out by 4-byte address
    bool (*fitsBody)(const MappedFile& file, std::int64_t count);
};

bool FitsVersion4Body(const MappedFile& file, std::int64_t count)
{
    return static_cast<std::uint64_t>(file.size) ==
           static_cast<std::uint64_t>(kHeaderSize + count * kVersion4RecordSize);
}

// The pool must hold at least its leading empty text and end in a NUL.
bool FitsVersion5Body(const MappedFile& file, std::int64_t count)
{
    return static_cast<std::uint64_t>(file.size) >
               static_cast<std::uint64_t>(kHeaderSize + count * kVersion5IndexEntrySize) &&
           file.bytes[file.size - 1] == 0;
}

constexpr DatabaseKind kVersion4 = {
    kVersion4Magic, kVersion4RecordSize, kVersion4CountOffset, kVersion4StateOffset,
    false,          FitsVersion4Body};
constexpr DatabaseKind kVersion5 = {
    kVersion5Magic, kVersion5TextsPerRecord, kVersion5CountOffset, kVersion5StateOffset,
    true,           FitsVersion5Body};

// An unset or empty variable counts as absent.
const char* Control(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

// A whole decimal int, or nothing: a malformed control is ignored.
std::optional<int> IntControl(const char* name)
{
    const char* text = Control(name);
    if (text == nullptr) {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

std::string TracePathNow()
{
    const char* path = Control("TARVEK_STANDIN_TRACE");
    return path != nullptr ? path : "";
}

Controls ReadControls()
{
    Controls controls;
    controls.failOpen = IntControl("TARVEK_STANDIN_FAIL_OPEN") == 1;
    controls.failingRecord = IntControl("TARVEK_STANDIN_FAIL_READ");
    controls.reportedCount = IntControl("TARVEK_STANDIN_COUNT");
    controls.tracePath = TracePathNow();
    return controls;
}

// Appends one event line; the file is opened and closed each time so that a
// test sees every event at once, even from a library that is never unloaded.
void Trace(const std::string& path, const std::string& event)
{
    if (path.empty()) {
        return;
    }
    if (std::FILE* file = std::fopen(path.c_str(), "ab")) {
        // A trace line that cannot be written shows as missing in the test.
        (void)std::fputs((event + "\n").c_str(), file);
        (void)std::fclose(file);
    }
}

std::uint8_t* Bytes(void* context)
{
    return static_cast<std::uint8_t*>(context);
}

OpenDatabase* StateOf(void* context, int stateOffset)
{
    OpenDatabase* state = nullptr;
    // The context keeps the pointer itself.
    // NOLINTNEXTLINE(bugprone-sizeof-expression)
    std::memcpy(&state, Bytes(context) + stateOffset, sizeof state);
    return state;
}

bool HasValidHeader(const MappedFile& file, const DatabaseKind& kind, std::int32_t& count)
{
    if (file.size < static_cast<std::size_t>(kHeaderSize) ||
        std::memcmp(file.bytes, kind.magic, kMagicSize) != 0 ||
        static_cast<std::int32_t>(LoadUint32Le(file.bytes + kLayoutOffset)) != kind.layout) {
        return false;
    }
    count = static_cast<std::int32_t>(LoadUint32Le(file.bytes + kCountOffset));
    return count >= 0 && kind.fitsBody(file, count);
}

// Maps and checks the file without looking at any record, so that opening
// costs the same for ten records and for a million.
int Open(void* context, const char* name, const DatabaseKind& kind, Controls controls)
{
    if (controls.failOpen) {
        return 1;
    }
    MappedFile file;
    if (!MapFile(name, kind.lowMapping, file)) {
        return 1;
    }
    std::int32_t count = 0;
    if (!HasValidHeader(file, kind, count)) {
        UnmapFile(file);
        return 1;
    }
    const std::int32_t reported = controls.reportedCount.value_or(count);
    auto* state = new OpenDatabase{file, count, std::move(controls)};
    StoreUint32Le(Bytes(context) + kind.countOffset, static_cast<std::uint32_t>(reported));
    // The context keeps the pointer itself.
    // NOLINTNEXTLINE(bugprone-sizeof-expression)
    std::memcpy(Bytes(context) + kind.stateOffset, &state, sizeof state);
    return 0;
}

// Reads are the hot path: the event text is made only when tracing.
void TraceRead(const OpenDatabase& database, const char* entryPoint, int recordNumber)
{
    if (!database.controls.tracePath.empty()) {
        Trace(database.controls.tracePath,
              std::string(entryPoint) + " " + std::to_string(recordNumber));
    }
}

// Like a library that reads records from its file, a long run of reads does
// not keep the whole database resident: every so many reads the pages read
// so far are let go (texts handed out earlier stay readable from the file).
void CountRead(OpenDatabase& database)
{
    if (++database.readsSinceRelease == kReadsPerPageRelease) {
        ReleaseReadPages(database.file);
        database.readsSinceRelease = 0;
    }
}

bool CanRead(const OpenDatabase& database, int recordNumber)
{
    return recordNumber >= 1 && recordNumber <= database.count &&
           database.controls.failingRecord != recordNumber;
}

int Close(void* context, int stateOffset, const std::string& event)
{
    OpenDatabase* state = StateOf(context, stateOffset);
    Trace(state->controls.tracePath, event);
    UnmapFile(state->file);
    delete state;
    // The context keeps the pointer itself.
    // NOLINTNEXTLINE(bugprone-sizeof-expression)
    std::memset(Bytes(context) + stateOffset, 0, sizeof state);
    return 0;
}

// The version-5 texts of one record, checked before anything is written, so
// that a corrupt record leaves the caller's buffer untouched.
struct Version5Texts {
    const char* text[kVersion5TextsPerRecord];
    std::size_t copiedLength[kVersion5CopiedTexts];
};

bool LocateVersion5Texts(const OpenDatabase& database, int recordNumber, Version5Texts& texts)
{
    const std::size_t indexStart = kHeaderSize;
    const std::size_t poolStart =
        indexStart + static_cast<std::size_t>(database.count) * kVersion5IndexEntrySize;
    const std::size_t poolSize = database.file.size - poolStart;
    const std::uint8_t* entry =
        database.file.bytes + indexStart +
        static_cast<std::size_t>(recordNumber - 1) * kVersion5IndexEntrySize;
    const char* pool = reinterpret_cast<const char*>(database.file.bytes + poolStart);
    for (int i = 0; i < kVersion5TextsPerRecord; ++i) {
        const std::uint32_t offset = LoadUint32Le(entry + std::ptrdiff_t{4} * i);
        if (offset >= poolSize) {
            return false;
        }
        texts.text[i] = pool + offset;
        if (i < kVersion5CopiedTexts) {
            // The pool ends in a NUL, so the search stays inside the mapping.
            const std::size_t limit = static_cast<std::size_t>(kVersion5CopiedMaxLengths[i]) + 1;
            const void* end = std::memchr(texts.text[i], 0, std::min(limit, poolSize - offset));
            if (end == nullptr) {
                return false;
            }
            texts.copiedLength[i] = static_cast<const char*>(end) - texts.text[i];
        }
    }
    return true;
}

// Empty texts go out as address 0, as the caller reads an address of 0 as an
// empty text. The mapping lies below 4 GiB, so the address fits 4 bytes.
std::uint32_t TextAddress(const char* text)
{
    return *text == '\0' ? 0 : static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(text));
}

// Writes like a strcpy of each text: the text and its NUL, nothing else, so
// bytes that the record does not reach keep what the previous record left.
void StoreVersion5Record(const Version5Texts& texts, std::uint8_t* record)
{
    for (int i = 0; i < kVersion5CopiedTexts; ++i) {
        std::memcpy(record + kVersion5CopiedOffsets[i], texts.text[i], texts.copiedLength[i] + 1);
    }
    for (int j = 0; j < kVersion5AddressedTexts; ++j) {
        StoreUint32Le(record + kVersion5FirstAddressOffset + std::ptrdiff_t{4} * j,
                      TextAddress(texts.text[kVersion5CopiedTexts + j]));
    }
}

void TraceLoad()
{
    Trace(TracePathNow(), "load");
}

void TraceUnload()
{
    Trace(TracePathNow(), "unload");
}

}  // namespace

extern "C" {

STANDIN_EXPORT int STANDIN_CALL DbsDbrOpen(void* context, const char* name)
{
    Controls controls = ReadControls();
    Trace(controls.tracePath, std::string("DbsDbrOpen ") + name);
    return Open(context, name, kVersion4, std::move(controls));
}

STANDIN_EXPORT int STANDIN_CALL DbsDbrRead(void* context, int recordNumber)
{
    OpenDatabase& database = *StateOf(context, kVersion4StateOffset);
    TraceRead(database, "DbsDbrRead", recordNumber);
    if (!CanRead(database, recordNumber)) {
        return 1;
    }
    CountRead(database);
    const std::size_t recordStart =
        kHeaderSize + static_cast<std::size_t>(recordNumber - 1) * kVersion4RecordSize;
    std::memcpy(context, database.file.bytes + recordStart, kVersion4RecordSize);
    return 0;
}

STANDIN_EXPORT int STANDIN_CALL DbsDbrClose(void* context)
{
    return Close(context, kVersion4StateOffset, "DbsDbrClose");
}

STANDIN_EXPORT int STANDIN_CALL TarvekOpen(int first, void* context, const char* name, int last)
{
    Controls controls = ReadControls();
    Trace(controls.tracePath, "TarvekOpen " + std::to_string(first) + " " + std::string(name) +
                                  " " + std::to_string(last));
    return Open(context, name, kVersion5, std::move(controls));
}

STANDIN_EXPORT int STANDIN_CALL VKD_readv(void* context, int recordNumber, void* record)
{
    OpenDatabase& database = *StateOf(context, kVersion5StateOffset);
    TraceRead(database, "VKD_readv", recordNumber);
    if (!CanRead(database, recordNumber)) {
        return 1;
    }
    CountRead(database);
    Version5Texts texts;
    if (!LocateVersion5Texts(database, recordNumber, texts)) {
        return 2;
    }
    StoreVersion5Record(texts, static_cast<std::uint8_t*>(record));
    return 0;
}

STANDIN_EXPORT int STANDIN_CALL TarvekClose(void* context, int last)
{
    return Close(context, kVersion5StateOffset, "TarvekClose " + std::to_string(last));
}

}  // extern "C"

#ifdef _WIN32
extern "C" BOOL WINAPI DllMain(HINSTANCE /*module*/, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH) {
        TraceLoad();
    } else if (reason == DLL_PROCESS_DETACH) {
        TraceUnload();
    }
    return TRUE;
}
#else
__attribute__((constructor)) static void OnLoad()
{
    TraceLoad();
}

__attribute__((destructor)) static void OnUnload()
{
    TraceUnload();
}
#endif
