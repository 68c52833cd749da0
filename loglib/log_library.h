// Binding of the outside log library TARVEK50.DLL: the contexts its entry
// points work on, loading and releasing it around each operation, calls to
// its six entry points, and the record-count probe of the mode buttons.
#pragma once

#include <cstdint>

#include "loglib/extraction_modes.h"

class Notifier;

inline constexpr const char* kLogLibraryFileName = "TARVEK50.DLL";
inline constexpr const char* kMsgLogLibraryCannotOpen = "TARVEK50.DLLがオープンできません";

// The version-4 context: the library's state of an open "TARVEK.DBS". After a
// successful open it holds the record count at bytes 280 to 283, after a
// successful read the record at its start.
inline constexpr int kVersion4ContextSize = 724;
inline constexpr int kVersion4CountOffset = 280;
struct Version4Context {
    std::uint8_t bytes[kVersion4ContextSize];
};

// The version-5 context of an open "TARVEK.VDB"; the record count lies at the
// unaligned bytes 1745 to 1748.
inline constexpr int kVersion5ContextSize = 3928;
inline constexpr int kVersion5CountOffset = 1745;
struct Version5Context {
    std::uint8_t bytes[kVersion5ContextSize];
};

// The buffer into which VKD_readv writes one version-5 record.
inline constexpr int kVersion5RecordSize = 864;

// Loads the library and fills the six entry-point slots: 0 on success, -1
// when it cannot be loaded or lacks an entry point (then nothing stays loaded).
int LoadLogLibrary();

// Releases the library loaded by LoadLogLibrary.
void FreeLogLibrary();

// An operation's hold on the library: loaded when made, released when it
// ends, or earlier by Release() where a flow orders its releases.
class LogLibraryHold {
public:
    LogLibraryHold() : m_loaded(LoadLogLibrary() == 0) {}
    ~LogLibraryHold() { Release(); }
    LogLibraryHold(const LogLibraryHold&) = delete;
    LogLibraryHold& operator=(const LogLibraryHold&) = delete;

    bool IsLoaded() const { return m_loaded; }
    void Release();

private:
    bool m_loaded;
};

// The record count of the database that the mode reads (mode 1 "TARVEK.DBS",
// 2 and above "TARVEK.VDB"), exactly as the library reports it, or -1 when the
// library or the database cannot be opened, or for a mode of 0 or below.
int GetRecordCount(int mode, Notifier& notifier);

// The little-endian 32-bit signed integer at bytes[0..3], wherever it lies.
// Inline: the version-5 extraction reads seven addresses on every record.
inline std::int32_t ReadInt32Le(const std::uint8_t* bytes)
{
    const std::uint32_t value =
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return static_cast<std::int32_t>(value);
}

// Calls into the loaded library; each returns what the entry point returns
// (0 for success where the library reports one), or -1 with no library loaded.
int CallDbsDbrOpen(Version4Context& context, const char* databaseName);
int CallDbsDbrRead(Version4Context& context, int recordNumber);
void CallDbsDbrClose(Version4Context& context);
int CallTarvekOpen(Version5Context& context, const char* databaseName);
int CallVkdReadv(Version5Context& context, int recordNumber, std::uint8_t* record);
void CallTarvekClose(Version5Context& context);

// The version-4 database "TARVEK.DBS", opened for an operation that holds the
// library when made (nothing is called without it), closed when it ends or
// earlier by Close().
class OpenVersion4Database {
public:
    explicit OpenVersion4Database(const LogLibraryHold& library);
    ~OpenVersion4Database() { Close(); }
    OpenVersion4Database(const OpenVersion4Database&) = delete;
    OpenVersion4Database& operator=(const OpenVersion4Database&) = delete;

    bool IsOpen() const { return m_open; }
    void Close();

    // Reads record n into the context; false when the read fails.
    bool Read(int recordNumber) { return CallDbsDbrRead(m_context, recordNumber) == 0; }
    const Version4Context& Context() const { return m_context; }

private:
    Version4Context m_context = {};
    bool m_open;
};

// The version-5 database "TARVEK.VDB", in the same way.
class OpenVersion5Database {
public:
    explicit OpenVersion5Database(const LogLibraryHold& library);
    ~OpenVersion5Database() { Close(); }
    OpenVersion5Database(const OpenVersion5Database&) = delete;
    OpenVersion5Database& operator=(const OpenVersion5Database&) = delete;

    bool IsOpen() const { return m_open; }
    void Close();

    // Reads record n into the 864-byte record; false when the read fails.
    bool Read(int recordNumber, std::uint8_t* record)
    {
        return CallVkdReadv(m_context, recordNumber, record) == 0;
    }
    const Version5Context& Context() const { return m_context; }

private:
    Version5Context m_context = {};
    bool m_open;
};
