// The stand-in log library over the database files of its writer: records
// come back through the six entry points byte for byte, with the count, the
// test controls, the call trace, and each variant's exports.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "loglib/entry_points.h"
#include "loglib/log_library.h"
#include "platform/module_loader.h"
#include "standin/database_format.h"
#include "standin/database_writer.h"
#include "tests/test_support.h"

namespace {

// Version-5 copied texts: member, offset and longest length, as the
// stand-in's format places them.
struct Version5Place {
    std::string Version5RecordTexts::*text;
    int offset;
    int maxLength;
};

std::vector<Version5Place> FormatVersion5Places()
{
    std::vector<Version5Place> places;
    for (int i = 0; i < standin_db::kVersion5CopiedTexts; ++i) {
        places.push_back({kVersion5CopiedMembers[i], standin_db::kVersion5CopiedOffsets[i],
                          standin_db::kVersion5CopiedMaxLengths[i]});
    }
    return places;
}
const std::vector<Version5Place> kVersion5Places = FormatVersion5Places();
constexpr int kFirstAddressOffset = standin_db::kVersion5FirstAddressOffset;

// A text of length bytes, distinct per seed, with a code page 932 pair in it.
std::string Filler(int seed, std::size_t length)
{
    std::string text;
    for (int i = 0; text.size() < length; ++i) {
        text += i == 1 && length >= 3 ? std::string("\x93\x8c")
                                      : std::string(1, static_cast<char>('A' + (seed + i) % 26));
    }
    return text.substr(0, length);
}

Version4RecordTexts FullVersion4Texts(int seed)
{
    Version4RecordTexts texts;
    for (const Version4Place& place : kVersion4Places) {
        texts.*place.text = Filler(seed, static_cast<std::size_t>(place.room - 1));
    }
    texts.f047 = "24/05/03 12:34J";
    return texts;
}

Version5RecordTexts Version5Texts(int seed, bool full)
{
    Version5RecordTexts texts;
    for (const Version5Place& place : kVersion5Places) {
        texts.*place.text = Filler(seed, full ? place.maxLength : place.maxLength / 4);
    }
    for (int j = 0; j < 7; ++j) {
        texts.addressed[j] = full || j % 2 == 0 ? Filler(seed + j, 10 + 9 * j) : "";
    }
    return texts;
}

std::uint32_t Uint32At(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(ReadInt32Le(bytes));
}

class StandinDatabaseTest : public testing::Test {
protected:
    void SetUp() override
    {
        InstallStandin();
        ASSERT_TRUE(WriteVersion4Database(kVersion4DatabaseName, m_images));
        ASSERT_TRUE(WriteVersion5Database(kVersion5DatabaseName, m_texts));
        ASSERT_EQ(LoadLogLibrary(), 0);
    }
    void TearDown() override { FreeLogLibrary(); }

    static Version4RecordImage Image(const Version4RecordTexts& texts)
    {
        Version4RecordImage image{};
        EXPECT_TRUE(BuildVersion4RecordImage(texts, image));
        return image;
    }

    ScratchFolder m_folder;
    Version4Context m_context4;
    Version5Context m_context5;
    std::uint8_t m_record[kVersion5RecordSize];
    std::vector<Version4RecordImage> m_images = {Image(FullVersion4Texts(1)), Image({}),
                                                 Image(FullVersion4Texts(7))};
    std::vector<Version5RecordTexts> m_texts = {Version5Texts(1, true), Version5Texts(2, false),
                                                Version5Texts(3, false)};
};

TEST(StandinRecordImage, PlacesEachTextAtItsOffsetAndRejectsOverlongTexts)
{
    for (const Version4Place& place : kVersion4Places) {
        Version4RecordTexts texts;
        texts.*place.text = Filler(3, static_cast<std::size_t>(place.room - 1));
        Version4RecordImage image{};
        ASSERT_TRUE(BuildVersion4RecordImage(texts, image)) << place.offset;
        Version4RecordImage expected{};
        std::memcpy(expected.data() + place.offset, (texts.*place.text).data(), place.room - 1);
        EXPECT_EQ(image, expected) << place.offset;

        texts.*place.text += "X";
        EXPECT_FALSE(BuildVersion4RecordImage(texts, image)) << place.offset;
    }
}

TEST(StandinVersion5Writer, RejectsCopiedTextsLongerThanTheirPlace)
{
    for (const Version5Place& place : kVersion5Places) {
        Version5RecordTexts texts;
        texts.*place.text = std::string(static_cast<std::size_t>(place.maxLength), 'A');
        EXPECT_TRUE(WriteVersion5Database("fits.vdb", {texts})) << place.offset;
        texts.*place.text += "A";
        EXPECT_FALSE(WriteVersion5Database("overlong.vdb", {texts})) << place.offset;
    }
}

TEST_F(StandinDatabaseTest, Version4RecordsComeBackByteForByte)
{
    Version4Context context;
    std::memset(context.bytes, 0xCC, sizeof context.bytes);
    ASSERT_EQ(CallDbsDbrOpen(context, kVersion4DatabaseName), 0);
    EXPECT_EQ(ReadInt32Le(context.bytes + kVersion4CountOffset), 3);
    for (int n = 1; n <= 3; ++n) {
        ASSERT_EQ(CallDbsDbrRead(context, n), 0);
        EXPECT_EQ(std::memcmp(context.bytes, m_images[n - 1].data(), kVersion4RecordImageSize), 0)
            << n;
        EXPECT_EQ(ReadInt32Le(context.bytes + kVersion4CountOffset), 3);
    }
    EXPECT_NE(CallDbsDbrRead(context, 0), 0);
    EXPECT_NE(CallDbsDbrRead(context, 4), 0);
    CallDbsDbrClose(context);
}

// Each read writes every copied text with its NUL and nothing else, so the
// expected buffer is the previous one with the record's texts laid over it.
TEST_F(StandinDatabaseTest, Version5RecordsOverlayTheBufferAndHandOutTextAddresses)
{
    ASSERT_EQ(CallTarvekOpen(m_context5, kVersion5DatabaseName), 0);
    EXPECT_EQ(ReadInt32Le(m_context5.bytes + kVersion5CountOffset), 3);
    std::vector<std::uint8_t> record(kVersion5RecordSize, 0xEE);
    std::vector<std::uint8_t> expected = record;
    for (int n = 1; n <= 3; ++n) {
        const Version5RecordTexts& texts = m_texts[n - 1];
        ASSERT_EQ(CallVkdReadv(m_context5, n, record.data()), 0);
        for (const Version5Place& place : kVersion5Places) {
            const std::string& text = texts.*place.text;
            std::memcpy(expected.data() + place.offset, text.c_str(), text.size() + 1);
        }
        EXPECT_EQ(std::memcmp(record.data(), expected.data(), kFirstAddressOffset), 0) << n;
        for (int j = 0; j < 7; ++j) {
            const std::uint32_t address = Uint32At(record.data() + kFirstAddressOffset + 4 * j);
            if (texts.addressed[j].empty()) {
                EXPECT_EQ(address, 0U) << n << " " << j;
            } else {
                ASSERT_NE(address, 0U) << n << " " << j;
                EXPECT_EQ(reinterpret_cast<const char*>(std::uintptr_t{address}),
                          texts.addressed[j]);
            }
        }
        const int afterAddresses = kFirstAddressOffset + 28;
        EXPECT_EQ(std::memcmp(record.data() + afterAddresses, expected.data() + afterAddresses,
                              kVersion5RecordSize - afterAddresses),
                  0);
    }
    EXPECT_NE(CallVkdReadv(m_context5, 0, record.data()), 0);
    EXPECT_NE(CallVkdReadv(m_context5, 4, record.data()), 0);
    CallTarvekClose(m_context5);
}

TEST_F(StandinDatabaseTest, FailOpenFailsBothOpens)
{
    SetStandinControl("TARVEK_STANDIN_FAIL_OPEN", "1");
    EXPECT_NE(CallDbsDbrOpen(m_context4, kVersion4DatabaseName), 0);
    EXPECT_NE(CallTarvekOpen(m_context5, kVersion5DatabaseName), 0);
}

TEST_F(StandinDatabaseTest, CountControlReplacesTheReportedCountOnly)
{
    SetStandinControl("TARVEK_STANDIN_COUNT", "-7");
    ASSERT_EQ(CallDbsDbrOpen(m_context4, kVersion4DatabaseName), 0);
    ASSERT_EQ(CallTarvekOpen(m_context5, kVersion5DatabaseName), 0);
    EXPECT_EQ(ReadInt32Le(m_context4.bytes + kVersion4CountOffset), -7);
    EXPECT_EQ(ReadInt32Le(m_context5.bytes + kVersion5CountOffset), -7);
    EXPECT_EQ(CallDbsDbrRead(m_context4, 3), 0);
    EXPECT_EQ(CallVkdReadv(m_context5, 3, m_record), 0);
    CallDbsDbrClose(m_context4);
    CallTarvekClose(m_context5);
}

TEST_F(StandinDatabaseTest, FailReadFailsOnlyTheChosenRecord)
{
    SetStandinControl("TARVEK_STANDIN_FAIL_READ", "2");
    ASSERT_EQ(CallDbsDbrOpen(m_context4, kVersion4DatabaseName), 0);
    ASSERT_EQ(CallTarvekOpen(m_context5, kVersion5DatabaseName), 0);
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(CallDbsDbrRead(m_context4, n) == 0, n != 2) << n;
        EXPECT_EQ(CallVkdReadv(m_context5, n, m_record) == 0, n != 2) << n;
    }
    CallDbsDbrClose(m_context4);
    CallTarvekClose(m_context5);
}

// The stand-in lets go of the pages it has read every few thousand reads;
// records and texts must come back unchanged across those releases, and a
// text handed out early must stay readable until the close.
TEST(StandinLongRun, EveryRecordReadsBackAcrossPageReleases)
{
    constexpr int kRecords = 10000;
    ScratchFolder folder;
    InstallStandin();
    Version4DatabaseBuilder version4;
    Version5DatabaseBuilder version5;
    for (int n = 1; n <= kRecords; ++n) {
        Version4RecordTexts texts4;
        texts4.f000 = std::to_string(n);
        Version4RecordImage image{};
        ASSERT_TRUE(BuildVersion4RecordImage(texts4, image));
        version4.Add(image);
        Version5RecordTexts texts5;
        texts5.leading = std::to_string(n);
        texts5.addressed[6] = "memo of contact " + std::to_string(n);
        ASSERT_TRUE(version5.Add(texts5));
    }
    ASSERT_TRUE(version4.Write(kVersion4DatabaseName));
    ASSERT_TRUE(version5.Write(kVersion5DatabaseName));
    ASSERT_EQ(LoadLogLibrary(), 0);
    Version4Context context4;
    Version5Context context5;
    ASSERT_EQ(CallDbsDbrOpen(context4, kVersion4DatabaseName), 0);
    ASSERT_EQ(CallTarvekOpen(context5, kVersion5DatabaseName), 0);
    std::uint8_t record[kVersion5RecordSize];
    const char* firstMemo = nullptr;
    int mismatches = 0;
    for (int n = 1; n <= kRecords; ++n) {
        ASSERT_EQ(CallDbsDbrRead(context4, n), 0) << n;
        ASSERT_EQ(CallVkdReadv(context5, n, record), 0) << n;
        const std::uint32_t memo = Uint32At(record + kFirstAddressOffset + 24);
        const char* memoText = reinterpret_cast<const char*>(std::uintptr_t{memo});
        firstMemo = n == 1 ? memoText : firstMemo;
        mismatches +=
            std::string(reinterpret_cast<const char*>(context4.bytes)) != std::to_string(n) ||
            std::string(reinterpret_cast<const char*>(record)) != std::to_string(n) ||
            std::string(memoText) != "memo of contact " + std::to_string(n);
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(std::string(firstMemo), "memo of contact 1");
    CallDbsDbrClose(context4);
    CallTarvekClose(context5);
    FreeLogLibrary();
}

TEST_F(StandinDatabaseTest, TraceRecordsEveryCallAndTheUnload)
{
    FreeLogLibrary();
    StartStandinTrace();
    ASSERT_EQ(LoadLogLibrary(), 0);
    ASSERT_EQ(CallTarvekOpen(m_context5, kVersion5DatabaseName), 0);
    ASSERT_EQ(CallVkdReadv(m_context5, 3, m_record), 0);
    CallTarvekClose(m_context5);
    ASSERT_EQ(CallDbsDbrOpen(m_context4, kVersion4DatabaseName), 0);
    ASSERT_EQ(CallDbsDbrRead(m_context4, 2), 0);
    CallDbsDbrClose(m_context4);
    FreeLogLibrary();
    EXPECT_FALSE(IsLogLibraryLoaded());
    EXPECT_EQ(StandinTrace(),
              "load\nTarvekOpen 0 TARVEK.VDB 0\nVKD_readv 3\nTarvekClose 0\n"
              "DbsDbrOpen TARVEK.DBS\nDbsDbrRead 2\nDbsDbrClose\nunload\n");
    ASSERT_EQ(LoadLogLibrary(), 0);  // for TearDown
}

// Damaged files: open checks the header and the size, read checks the record.
TEST_F(StandinDatabaseTest, DamagedFilesFailToOpenOrToRead)
{
    using namespace standin_db;
    const std::string good = ReadFileBytes(kVersion5DatabaseName);
    const std::size_t poolStart = kHeaderSize + 3 * kVersion5IndexEntrySize;
    const auto textOffset = [&](int record, int text) {
        return poolStart +
               Uint32At(reinterpret_cast<const std::uint8_t*>(good.data()) + kHeaderSize +
                        (record - 1) * kVersion5IndexEntrySize + 4 * text);
    };
    struct Damage {
        const char* what;
        std::size_t at;
        std::string bytes;  // replaces bytes at `at`; empty: cut the file there
        bool opens;
    };
    const Damage damages[] = {
        {"magic", 0, "X", false},
        {"count beyond the index", kCountOffset, std::string("\x00\x00\x01\x00", 4), false},
        {"layout", kLayoutOffset, "\x0E", false},
        {"final NUL missing", good.size() - 1, "Z", false},
        {"cut inside the index", kHeaderSize + 10, "", false},
        {"offset beyond the pool", kHeaderSize + 4, "\xFF\xFF\xFF\x7F", true},
        {"code of seven bytes", textOffset(1, 2) + 6, "7", true},
    };
    for (const Damage& damage : damages) {
        std::string bytes = good.substr(0, damage.bytes.empty() ? damage.at : good.size());
        bytes.replace(damage.at, damage.bytes.size(), damage.bytes);
        WriteFileBytes(kVersion5DatabaseName, bytes);
        Version5Context context;
        const bool opened = CallTarvekOpen(context, kVersion5DatabaseName) == 0;
        ASSERT_EQ(opened, damage.opens) << damage.what;
        if (opened) {
            std::uint8_t record[kVersion5RecordSize];
            EXPECT_NE(CallVkdReadv(context, 1, record), 0) << damage.what;
            EXPECT_EQ(CallVkdReadv(context, 2, record), 0) << damage.what;
            CallTarvekClose(context);
        }
    }
    const std::string version4 = ReadFileBytes(kVersion4DatabaseName);
    WriteFileBytes(kVersion4DatabaseName, version4.substr(0, version4.size() - 1));
    Version4Context context;
    EXPECT_NE(CallDbsDbrOpen(context, kVersion4DatabaseName), 0);
}

TEST(StandinVariants, EachVariantLacksExactlyItsEntryPoint)
{
    std::vector<std::string> variants = {"default"};
#if defined(_WIN32) && !defined(_WIN64)
    // Built where there are two calling conventions, 32-bit Windows.
    variants.push_back("cdecl");
#endif
    for (const char* name : kEntryPointNames) {
        variants.push_back(std::string("without_") + name);
    }
    for (const std::string& variant : variants) {
        ScratchFolder folder;
        InstallStandin(variant);
        ModuleHandle module = LoadModule(kLogLibraryFileName);
        ASSERT_NE(module, nullptr) << variant;
        for (const char* name : kEntryPointNames) {
            EXPECT_EQ(FindModuleProc(module, name) == nullptr,
                      variant == std::string("without_") + name)
                << variant << " " << name;
        }
        FreeModule(module);
        EXPECT_FALSE(IsLogLibraryLoaded()) << variant;
    }
}

}  // namespace
