// Scratch folders, stand-in layout and controls, and file helpers for tests.
#include "tests/test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "extract/extraction_texts.h"
#include "standin/database_writer.h"
#ifdef _WIN64
#include "standin/low_address_win32.h"
#elif !defined(_WIN32)
#include "standin/low_address_posix.h"
#endif

namespace fs = std::filesystem;

namespace {

constexpr const char* kControls[] = {"TARVEK_STANDIN_TRACE", "TARVEK_STANDIN_FAIL_OPEN",
                                     "TARVEK_STANDIN_FAIL_READ", "TARVEK_STANDIN_COUNT"};
constexpr const char* kTraceFile = "STANDIN_TRACE.TXT";

int ProcessId()
{
#ifdef _WIN32
    return static_cast<int>(GetCurrentProcessId());
#else
    return static_cast<int>(getpid());
#endif
}

void ClearStandinControls()
{
    for (const char* name : kControls) {
        SetStandinControl(name, "");  // the stand-in takes an empty control as absent
    }
}

}  // namespace

std::string TestExecutableFolder()
{
#ifdef _WIN32
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/") + 1);
#else
    return fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
#endif
}

ScratchFolder::ScratchFolder() : m_previous(fs::current_path().string())
{
    static int counter = 0;
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name()
                                       : std::string("scratch");
    std::replace(name.begin(), name.end(), '/', '_');
    m_path = TestExecutableFolder() + "scratch/" + name + "-" + std::to_string(ProcessId()) + "-" +
             std::to_string(++counter);
    fs::remove_all(m_path);
    fs::create_directories(m_path);
    fs::current_path(m_path);
    ClearStandinControls();
}

ScratchFolder::~ScratchFolder()
{
    ClearStandinControls();
    fs::current_path(m_previous);
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

void InstallStandin(std::string_view variant)
{
    const std::string source =
        TestExecutableFolder() + "../standin/" + std::string(variant) + "/TARVEK50.DLL";
    // Removed first: the Windows build's copy_file does not overwrite.
    fs::remove("TARVEK50.DLL");
    fs::copy_file(source, "TARVEK50.DLL");
}

void SetStandinControl(const char* name, const std::string& value)
{
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

void StartStandinTrace()
{
    fs::remove(kTraceFile);
    SetStandinControl("TARVEK_STANDIN_TRACE", kTraceFile);
}

std::string StandinTrace()
{
    return FileExists(kTraceFile) ? ReadFileBytes(kTraceFile) : std::string();
}

bool IsLogLibraryLoaded()
{
#ifdef _WIN32
    return GetModuleHandleA("TARVEK50.DLL") != nullptr;
#else
    void* module = dlopen("./TARVEK50.DLL", RTLD_NOW | RTLD_NOLOAD);
    if (module != nullptr) {
        dlclose(module);
    }
    return module != nullptr;
#endif
}

std::uint8_t* BytesBeforeNoAccessPage(std::size_t size)
{
#ifdef _WIN32
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const std::size_t page = system.dwPageSize;
#else
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
#endif
    // Whole pages for the bytes, then the page that no read may reach; fresh
    // pages hold zeros.
    const std::size_t readable = (size + page - 1) / page * page;
    const std::size_t total = readable + page;
#ifdef _WIN32
    const auto reserve = [total](void* at) {
        return VirtualAlloc(at, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    };
#ifdef _WIN64
    auto* block = static_cast<std::uint8_t*>(PlaceBelowFourGiB(total, reserve));
#else
    auto* block = static_cast<std::uint8_t*>(reserve(nullptr));
#endif
    DWORD previous = 0;
    const bool guarded =
        block != nullptr && VirtualProtect(block + readable, page, PAGE_NOACCESS, &previous) != 0;
#else
    void* mapped = MapBelowFourGiB(total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1);
    auto* block = mapped == MAP_FAILED ? nullptr : static_cast<std::uint8_t*>(mapped);
    const bool guarded = block != nullptr && mprotect(block + readable, page, PROT_NONE) == 0;
#endif
    if (!guarded) {
        ADD_FAILURE() << "no guarded memory below 4 GiB";
        return nullptr;
    }
    return block + readable - size;
}

const char* TextBeforeNoAccessPage(std::string_view text)
{
    auto* copy = reinterpret_cast<char*>(BytesBeforeNoAccessPage(text.size() + 1));
    if (copy != nullptr) {
        std::memcpy(copy, text.data(), text.size());  // the NUL after it is one of the zeros
    }
    return copy;
}

void WriteVersion4Log(const std::vector<std::string>& callsigns, const std::string& stamp)
{
    std::vector<Version4RecordImage> images;
    for (const std::string& call : callsigns) {
        Version4RecordTexts texts;
        texts.f000 = call;
        texts.f047 = stamp;
        Version4RecordImage image;
        ASSERT_TRUE(BuildVersion4RecordImage(texts, image)) << call;
        images.push_back(image);
    }
    ASSERT_TRUE(WriteVersion4Database("TARVEK.DBS", images));
}

void WriteVersion5Log(const std::vector<Version5Sample>& samples)
{
    std::vector<Version5RecordTexts> records;
    for (const Version5Sample& sample : samples) {
        Version5RecordTexts texts;
        texts.leading = sample.leading;
        texts.code = sample.code;
        texts.stamp = sample.stamp;
        texts.text51 = sample.text51;
        texts.addressed[4] = sample.f064;  // the fifth addressed text, at 837, feeds F064
        records.push_back(texts);
    }
    ASSERT_TRUE(WriteVersion5Database("TARVEK.VDB", records));
}

void LayOutEverySource()
{
    InstallStandin();
    WriteVersion4Log({"JA4AAA", "JA4BBB", "JA4CCC"});
    WriteVersion5Log(
        {{"JA5AAA", "1101"}, {"JA5BBB", "11003B"}, {"JA5CCC", "28004A"}, {"JA5DDD", "01001C"}});
    WriteFileBytes("BAK0001.TXT", "BAK1\r\nBAK2\r\nBAK3\r\n");
}

std::set<std::string> FolderContents()
{
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::current_path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

FullDeviceFolder::FullDeviceFolder(const std::string& name, const std::string& linkedFile)
{
    const std::string folder = TestExecutableFolder() + name;
    // Opened rather than looked up: Wine reports no attributes for a device.
    std::FILE* device = std::fopen((folder + "/" + linkedFile).c_str(), "rb");
    if (device == nullptr) {
        ADD_FAILURE() << "the build made no " << folder << "/" << linkedFile
                      << " linked to /dev/full (no /dev/full on the build machine?)";
        return;
    }
    std::fclose(device);
    fs::current_path(folder);
    m_ready = true;
}

FullDeviceFolder::~FullDeviceFolder()
{
    if (m_ready) {
        for (const char* name :
             {"TARVEK.DBS", "TARVEK.VDB", "TARVEK50.DLL", "BAK0001.TXT", kTraceFile}) {
            fs::remove(name);
        }
    }
}

std::string CannotCreateMessage(const char* file)
{
    return std::string(file) + kMsgSuffixCannotCreate;
}

std::string CannotWriteMessage(const char* file)
{
    return std::string(file) + kMsgSuffixCannotWrite;
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path)
{
    return fs::exists(path);
}
