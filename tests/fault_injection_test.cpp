// Faults of the outside world, made real rather than mocked, against every
// operation that meets them: a working folder that refuses new files, a
// TARVEK50.DLL that is no library, a library without one of its entry points
// driving an extraction, a library reporting a count of 0 or below, and full
// devices behind the filtered outputs. Each path shows exactly its messages,
// never "終了しました" after a failure, and leaves the library unloaded.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "extract/backup_copy.h"
#include "extract/extraction_texts.h"
#include "extract/record_count.h"
#include "extract/version4_extraction.h"
#include "extract/version5_extraction.h"
#include "loglib/entry_points.h"
#include "loglib/log_library.h"
#include "platform/notifier.h"
#include "shell/settings.h"
#include "tests/line_expectations.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

const std::string kNoLibrary = LogLibraryCannotOpenMessage();

class FaultInjectionTest : public testing::Test {
protected:
    void SetUp() override { LayOutEverySource(); }

    ScratchFolder m_folder;
};

// A file of the library's name that is no library fails to load like a
// missing one: the message, and nothing created.
TEST_F(FaultInjectionTest, FileThatIsNoLibraryCannotBeLoaded)
{
    WriteFileBytes(kLogLibraryFileName, "MZ this is not a library\r\n");
    RecordingNotifier notifier;
    EXPECT_EQ(GetRecordCount(2, notifier), -1);
    ExtractVersion4(1, 3, notifier);
    ExtractVersion5(1, 3, kExtractionModes[4], notifier);
    EXPECT_EQ(notifier.Messages(), (Messages{kNoLibrary, kNoLibrary, kNoLibrary}));
    EXPECT_FALSE(FileExists("TARVEK4_EXT_DAT.TXT"));
    EXPECT_FALSE(FileExists("TARVEK5_JCG_DAT.TXT"));
}

// An extraction with a library that lacks any one entry point reports the
// library as unusable, calls nothing in it, releases it and creates nothing.
TEST_F(FaultInjectionTest, ExtractionWithLibraryLackingAnEntryPoint)
{
    for (const char* entry : kEntryPointNames) {
        SCOPED_TRACE(entry);
        InstallStandin(std::string("without_") + entry);
        StartStandinTrace();
        RecordingNotifier notifier;
        ExtractVersion4(1, 3, notifier);
        ExtractVersion5(1, 3, kExtractionModes[3], notifier);
        EXPECT_EQ(notifier.Messages(), (Messages{kNoLibrary, kNoLibrary}));
        EXPECT_EQ(StandinTrace(), "load\nunload\nload\nunload\n");
        EXPECT_FALSE(FileExists("TARVEK4_EXT_DAT.TXT"));
        EXPECT_FALSE(FileExists("TARVEK5_JCC_DAT.TXT"));
        EXPECT_FALSE(IsLogLibraryLoaded());
    }
}

// The count belongs to the probe: it is passed on as reported, and an
// extraction over a range reads that range whatever count the library gives.
TEST_F(FaultInjectionTest, CountOfZeroOrBelowLeavesExtractionsAsTheyAre)
{
    for (const char* count : {"0", "-1", "-2147483648"}) {
        SCOPED_TRACE(count);
        SetStandinControl("TARVEK_STANDIN_COUNT", count);
        RecordingNotifier notifier;
        EXPECT_EQ(GetRecordCount(1, notifier), std::stoi(count));
        EXPECT_EQ(GetRecordCount(3, notifier), std::stoi(count));
        ExtractVersion4(1, 3, notifier);
        ExtractVersion5(1, 3, kExtractionModes[2], notifier);
        EXPECT_EQ(notifier.Messages(), (Messages{kMsgFinished, kMsgFinished}));
        EXPECT_EQ(OutputLines("TARVEK4_EXT_DAT.TXT").size(), 3U);
        EXPECT_EQ(OutputLines("TARVEK5_EXT_DAT.TXT").size(), 3U);
        EXPECT_FALSE(IsLogLibraryLoaded());
    }
}

#ifndef _WIN32
// The modes that read the version-5 database, in number order.
std::vector<int> Version5Modes()
{
    std::vector<int> modes;
    for (const ExtractionMode& row : kExtractionModes) {
        if (row.source == ModeSource::kVersion5Database) {
            modes.push_back(row.number);
        }
    }
    return modes;
}

// While it lives, the calling thread is bound by permission bits even when it
// runs as root: it gives up the capabilities that override them, and takes
// them back at the end. Capabilities belong to the thread, and the
// operations under test run on this one.
class PermissionBitsBind {
public:
    PermissionBitsBind()
    {
        if (syscall(SYS_capget, &m_header, m_saved) != 0) {
            return;
        }
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1U << CAP_DAC_OVERRIDE) | (1U << CAP_DAC_READ_SEARCH));
        m_changed = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~PermissionBitsBind()
    {
        if (m_changed) {
            syscall(SYS_capset, &m_header, m_saved);
        }
    }
    PermissionBitsBind(const PermissionBitsBind&) = delete;
    PermissionBitsBind& operator=(const PermissionBitsBind&) = delete;

private:
    __user_cap_header_struct m_header = {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2] = {};
    bool m_changed = false;
};

// Whether a new file can be made in the working folder right now.
bool CanCreateFiles()
{
    WriteFileBytes("probe.tmp", "");
    const bool created = FileExists("probe.tmp");
    fs::remove("probe.tmp");
    return created;
}

// A working folder that holds the library, the databases and the backup
// input, and refuses new files: every output fails at its creation.
TEST_F(FaultInjectionTest, UnwritableWorkingFolder)
{
    // The trace goes to a writable folder beside this one.
    const fs::path trace =
        fs::current_path().parent_path() / (fs::current_path().filename().string() + "-trace.txt");
    SetStandinControl("TARVEK_STANDIN_TRACE", trace.string());

    fs::permissions(".", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    RecordingNotifier notifier;
    int countFromProbe = 0;
    int modeRead = 0;
    {
        PermissionBitsBind bind;
        if (CanCreateFiles()) {
            fs::permissions(".", fs::perms::owner_all, fs::perm_options::add);
            FAIL() << "permission bits do not bind this process";
        }
        countFromProbe = GetRecordCount(2, notifier);
        ExtractVersion4(1, 3, notifier);
        for (const int mode : Version5Modes()) {
            ExtractVersion5(1, 3, kExtractionModes[mode], notifier);
        }
        CopyBackupRange(1, 2, notifier);
        modeRead = ReadSettings();
        WriteSettings(4);
    }
    fs::permissions(".", fs::perms::owner_all, fs::perm_options::add);

    EXPECT_EQ(countFromProbe, 4);
    EXPECT_EQ(
        notifier.Messages(),
        (Messages{CannotCreateMessage(kVersion4OutputName),
                  CannotCreateMessage(kVersion5OutputName), CannotCreateMessage(kJccOutputName),
                  CannotCreateMessage(kJcgOutputName), CannotCreateMessage(kTownOutputName),
                  CannotCreateMessage(kBackupOutputName)}));
    // A missing settings file that cannot be created reads as the default.
    EXPECT_EQ(modeRead, kDefaultMode);
    EXPECT_EQ(FolderContents(),
              (std::set<std::string>{"BAK0001.TXT", "TARVEK.DBS", "TARVEK.VDB", "TARVEK50.DLL"}));
    // Each extraction opened its database, closed it without reading, and
    // released the library.
    std::string expected =
        "load\nTarvekOpen 0 TARVEK.VDB 0\nTarvekClose 0\nunload\n"
        "load\nDbsDbrOpen TARVEK.DBS\nDbsDbrClose\nunload\n";
    for (std::size_t mode = 0; mode < Version5Modes().size(); ++mode) {
        expected += "load\nTarvekOpen 0 TARVEK.VDB 0\nTarvekClose 0\nunload\n";
    }
    EXPECT_EQ(ReadFileBytes(trace.string()), expected);
    fs::remove(trace);
    EXPECT_FALSE(IsLogLibraryLoaded());
}
#endif

TEST(FaultInjectionFullDevice, FilteredRunsReportTheFailedWriteInsteadOfFinished)
{
    const FullDeviceFolder folder("full_device_faults", kJcgOutputName);
    ASSERT_TRUE(folder.IsReady());
    LayOutEverySource();
    StartStandinTrace();

    RecordingNotifier notifier;
    ExtractVersion5(1, 3, kExtractionModes[4], notifier);
    ExtractVersion5(1, 3, kExtractionModes[5], notifier);
    const std::string trace = StandinTrace();

    EXPECT_EQ(notifier.Messages(),
              (Messages{CannotWriteMessage(kJcgOutputName), CannotWriteMessage(kTownOutputName)}));
    const std::string run =
        "load\nTarvekOpen 0 TARVEK.VDB 0\nVKD_readv 1\nVKD_readv 2\nVKD_readv 3\n"
        "TarvekClose 0\nunload\n";
    EXPECT_EQ(trace, run + run);
    EXPECT_FALSE(IsLogLibraryLoaded());
}

}  // namespace
