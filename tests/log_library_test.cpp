// The log library binding and the record-count probe, against the stand-in
// library laid out in a scratch working folder.
#include "loglib/log_library.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "extract/extraction_texts.h"
#include "extract/record_count.h"
#include "loglib/entry_points.h"
#include "platform/notifier.h"
#include "tests/test_support.h"

namespace {

class LogLibraryTest : public testing::Test {
protected:
    // Databases of 3 version-4 and 5 version-5 records, so that the count
    // tells which one was opened, and the stand-in, its trace on.
    void SetUp() override
    {
        WriteVersion4Log({"JA1ABC", "JA1ABC", "JA1ABC"});
        const Version5Sample record{"JA1ABC/1"};
        WriteVersion5Log({record, record, record, record, record});
        InstallStandin();
        StartStandinTrace();
    }
    // The probe reports only a missing library, and no test probes with
    // m_notifier without one: it shows nothing.
    void TearDown() override { EXPECT_EQ(Messages{}, m_notifier.Messages()); }

    ScratchFolder m_folder;
    RecordingNotifier m_notifier;
};

TEST_F(LogLibraryTest, WithoutTheLibraryEveryModeReportsItAndGivesMinusOne)
{
    std::filesystem::remove(kLogLibraryFileName);
    for (int mode : {0, 1, 2, 5, 7, -1}) {
        SCOPED_TRACE(mode);
        RecordingNotifier notifier;
        EXPECT_EQ(-1, GetRecordCount(mode, notifier));
        EXPECT_EQ(Messages{LogLibraryCannotOpenMessage()}, notifier.Messages());
    }
    EXPECT_EQ(-1, LoadLogLibrary());
}

struct ModeCase {
    int mode;
    int count;
    std::string trace;
};

TEST_F(LogLibraryTest, EachModeOpensItsDatabaseOnceAndReleasesTheLibrary)
{
    const ModeCase cases[] = {
        {1, 3, "load\nDbsDbrOpen TARVEK.DBS\nDbsDbrClose\nunload\n"},
        {2, 5, "load\nTarvekOpen 0 TARVEK.VDB 0\nTarvekClose 0\nunload\n"},
        {3, 5, "load\nTarvekOpen 0 TARVEK.VDB 0\nTarvekClose 0\nunload\n"},
        {5, 5, "load\nTarvekOpen 0 TARVEK.VDB 0\nTarvekClose 0\nunload\n"},
        // Any mode above 5 reads the version-5 database too.
        {7, 5, "load\nTarvekOpen 0 TARVEK.VDB 0\nTarvekClose 0\nunload\n"},
        {15, 5, "load\nTarvekOpen 0 TARVEK.VDB 0\nTarvekClose 0\nunload\n"},
        // Modes 0 and below load and release the library but open nothing.
        {0, -1, "load\nunload\n"},
        {-1, -1, "load\nunload\n"},
        {-2147483647 - 1, -1, "load\nunload\n"},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.mode);
        StartStandinTrace();
        EXPECT_EQ(c.count, GetRecordCount(c.mode, m_notifier));
        EXPECT_EQ(c.trace, StandinTrace());
        EXPECT_FALSE(IsLogLibraryLoaded());
    }

    // Released, the binding keeps no entry point: every call fails at once
    // and reaches no library.
    Version4Context context4 = {};
    Version5Context context5 = {};
    std::uint8_t record[kVersion5RecordSize] = {};
    StartStandinTrace();
    EXPECT_EQ(-1, CallDbsDbrOpen(context4, "TARVEK.DBS"));
    EXPECT_EQ(-1, CallDbsDbrRead(context4, 1));
    EXPECT_EQ(-1, CallTarvekOpen(context5, "TARVEK.VDB"));
    EXPECT_EQ(-1, CallVkdReadv(context5, 1, record));
    CallDbsDbrClose(context4);
    CallTarvekClose(context5);
    EXPECT_EQ("", StandinTrace());
}

// The holds release what they took once, early or at their end, and a
// database is opened only under a hold that loaded the library.
TEST_F(LogLibraryTest, HoldsReleaseOnceInTheOrderTheyEnd)
{
    {
        LogLibraryHold library;
        ASSERT_TRUE(library.IsLoaded());
        const OpenVersion4Database database4(library);
        OpenVersion5Database database5(library);
        EXPECT_TRUE(database4.IsOpen());
        EXPECT_TRUE(database5.IsOpen());
        database5.Close();
        EXPECT_FALSE(database5.IsOpen());
        database5.Close();
    }
    EXPECT_EQ(
        "load\nDbsDbrOpen TARVEK.DBS\nTarvekOpen 0 TARVEK.VDB 0\nTarvekClose 0\n"
        "DbsDbrClose\nunload\n",
        StandinTrace());
    EXPECT_FALSE(IsLogLibraryLoaded());

    StartStandinTrace();
    {
        LogLibraryHold library;
        library.Release();
        EXPECT_FALSE(library.IsLoaded());
        const OpenVersion4Database database(library);
        EXPECT_FALSE(database.IsOpen());
    }
    EXPECT_EQ("load\nunload\n", StandinTrace());
}

TEST_F(LogLibraryTest, CountPassesThroughAsTheLibraryReportsIt)
{
    for (const char* count : {"0", "-5", "1000000", "2147483647", "-2147483648"}) {
        SCOPED_TRACE(count);
        SetStandinControl("TARVEK_STANDIN_COUNT", count);
        const int expected = static_cast<int>(std::stoll(count));
        EXPECT_EQ(expected, GetRecordCount(1, m_notifier));
        EXPECT_EQ(expected, GetRecordCount(2, m_notifier));
    }
}

TEST_F(LogLibraryTest, FailedOpenGivesMinusOneWithoutCloseOrMessage)
{
    SetStandinControl("TARVEK_STANDIN_FAIL_OPEN", "1");
    EXPECT_EQ(-1, GetRecordCount(1, m_notifier));
    EXPECT_EQ(-1, GetRecordCount(4, m_notifier));
    EXPECT_EQ(
        "load\nDbsDbrOpen TARVEK.DBS\nunload\n"
        "load\nTarvekOpen 0 TARVEK.VDB 0\nunload\n",
        StandinTrace());
    EXPECT_FALSE(IsLogLibraryLoaded());
}

TEST_F(LogLibraryTest, MissingDatabaseFileGivesMinusOne)
{
    std::filesystem::remove(kVersion4DatabaseName);
    std::filesystem::remove(kVersion5DatabaseName);
    EXPECT_EQ(-1, GetRecordCount(1, m_notifier));
    EXPECT_EQ(-1, GetRecordCount(2, m_notifier));
    EXPECT_FALSE(IsLogLibraryLoaded());
}

TEST_F(LogLibraryTest, LibraryWithoutAnEntryPointCannotBeOpened)
{
    for (const char* entry : kEntryPointNames) {
        SCOPED_TRACE(entry);
        InstallStandin(std::string("without_") + entry);
        StartStandinTrace();
        RecordingNotifier notifier;
        EXPECT_EQ(-1, GetRecordCount(1, notifier));
        EXPECT_EQ(-1, GetRecordCount(2, notifier));
        EXPECT_EQ(-1, LoadLogLibrary());
        EXPECT_EQ((Messages{LogLibraryCannotOpenMessage(), LogLibraryCannotOpenMessage()}),
                  notifier.Messages());
        // Loaded to look for the entry points, released at once, never called.
        EXPECT_EQ("load\nunload\nload\nunload\nload\nunload\n", StandinTrace());
        EXPECT_FALSE(IsLogLibraryLoaded());
    }
}

#if defined(_WIN32) && !defined(_WIN64)
// The library's calling convention is not documented: a library whose entry
// points leave the stack to the caller works as well as one that cleans it.
// Only 32-bit Windows has the two conventions.
TEST_F(LogLibraryTest, CdeclLibraryWorksLikeTheStdcallOne)
{
    for (const char* variant : {"default", "cdecl"}) {
        SCOPED_TRACE(variant);
        InstallStandin(variant);
        EXPECT_EQ(3, GetRecordCount(1, m_notifier));
        EXPECT_EQ(5, GetRecordCount(2, m_notifier));
        EXPECT_FALSE(IsLogLibraryLoaded());
    }
}
#endif

}  // namespace
