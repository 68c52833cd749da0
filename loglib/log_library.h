// Binding of the outside log library TARVEK50.DLL: the contexts its entry
// points work on, loading and releasing it around each operation, calls to
// its six entry points, and its two databases with their record counts.
#pragma once

#include <cstdint>

inline constexpr const char* kLogLibraryFileName = "TARVEK50.DLL";
inline constexpr const char* kVersion4DatabaseName = "TARVEK.DBS";
inline constexpr const char* kVersion5DatabaseName = "TARVEK.VDB";

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

    // The count that the open left in the context, exactly as it lies there.
    int RecordCount() const { return ReadInt32Le(m_context.bytes + kVersion4CountOffset); }

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
    int RecordCount() const { return ReadInt32Le(m_context.bytes + kVersion5CountOffset); }

private:
    Version5Context m_context = {};
    bool m_open;
};
