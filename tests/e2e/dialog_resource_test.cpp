// The resources of tarvek_dconv.exe as Windows reads them from the built
// executable: the dialog template control by control, the icon, the
// manifest and the version information.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "res/resource.h"
#include "tests/test_support.h"

namespace {

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

// Predefined control classes as a template names them.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

// The low four bits of a button's style say which kind it is.
constexpr DWORD kButtonKindMask = 0x000F;
constexpr DWORD kRadio = BS_AUTORADIOBUTTON;

struct ExpectedControl {
    DWORD id;
    WORD classOrdinal;
    std::wstring caption;
    short x, y, cx, cy;
    DWORD kind;  // button kind, or 0
    bool tabStop;
    bool group;
};

// The controls in template order, which is the tab order.
const DWORD kNoId = static_cast<DWORD>(-1);
const ExpectedControl kControls[] = {
    {IDOK, kButtonClass, L"Extraction", 15, 134, 80, 14, BS_DEFPUSHBUTTON, true, false},
    {kNoId, kStaticClass, L"開始レコード番号", 5, 10, 65, 10, 0, false, true},
    {kNoId, kStaticClass, L"終了レコード番号", 5, 27, 65, 10, 0, false, true},
    {IDC_START, kEditClass, L"", 75, 8, 30, 12, 0, true, false},
    {IDC_END, kEditClass, L"", 75, 25, 30, 12, 0, true, false},
    {kNoId, kButtonClass, L"Mode", 16, 45, 80, 80, BS_GROUPBOX, false, false},
    {IDC_MODE_VER4, kButtonClass, L"TARVEK ver4系", 24, 55, 70, 10, kRadio, true, false},
    {IDC_MODE_VER5, kButtonClass, L"TARVEK ver5系", 24, 68, 70, 10, kRadio, true, false},
    {IDC_MODE_JCC, kButtonClass, L"JCCデータ抽出", 24, 82, 70, 10, kRadio, true, false},
    {IDC_MODE_JCG, kButtonClass, L"JCGデータ抽出", 24, 97, 70, 10, kRadio, true, false},
    {IDC_MODE_TOWN, kButtonClass, L"町/村ﾃﾞｰﾀ抽出", 24, 111, 70, 10, kRadio, true, false},
};

int Occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// Reads an extended dialog template field by field.
class TemplateReader {
public:
    explicit TemplateReader(std::string bytes) : m_bytes(std::move(bytes)) {}

    template <class T>
    T Read()
    {
        T value{};
        if (m_at + sizeof value <= m_bytes.size()) {
            std::memcpy(&value, m_bytes.data() + m_at, sizeof value);
        }
        m_at += sizeof value;
        return value;
    }

    std::wstring String()
    {
        std::wstring text;
        while (const auto c = Read<wchar_t>()) {
            text += c;
        }
        return text;
    }

    // A name or an ordinal: 0 for none, 0xFFFF followed by the ordinal.
    std::wstring StringOrOrdinal(WORD& ordinal)
    {
        ordinal = 0;
        const auto first = Read<WORD>();
        if (first == 0xFFFF) {
            ordinal = Read<WORD>();
            return {};
        }
        m_at -= sizeof(WORD);
        return String();
    }

    void AlignToDword() { m_at = (m_at + 3) & ~static_cast<std::size_t>(3); }
    void Skip(std::size_t bytes) { m_at += bytes; }
    bool Overran() const { return m_at > m_bytes.size(); }

private:
    std::string m_bytes;
    std::size_t m_at = 0;
};

class DialogResourceTest : public testing::Test {
protected:
    void SetUp() override
    {
        const std::string path = TestExecutableFolder() + "../tarvek_dconv.exe";
        m_module = LoadLibraryExA(path.c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(nullptr, m_module) << path;
    }

    void TearDown() override
    {
        if (m_module != nullptr) {
            FreeLibrary(m_module);
        }
    }

    // The resource's bytes, empty when there is none.
    std::string Resource(LPCWSTR type, LPCWSTR name, WORD language) const
    {
        const HRSRC found = FindResourceExW(m_module, type, name, language);
        if (found == nullptr) {
            return {};
        }
        const void* data = LockResource(LoadResource(m_module, found));
        return {static_cast<const char*>(data), SizeofResource(m_module, found)};
    }

    HMODULE m_module = nullptr;
};

TEST_F(DialogResourceTest, DialogTemplateIsTheMainDialog)
{
    const std::string bytes =
        Resource(RT_DIALOG, MAKEINTRESOURCEW(IDD_EXTRACTION_DIALOG), kJapanese);
    ASSERT_FALSE(bytes.empty()) << "no Japanese dialog 102";
    TemplateReader reader(bytes);

    EXPECT_EQ(1, reader.Read<WORD>());       // version
    EXPECT_EQ(0xFFFF, reader.Read<WORD>());  // extended template
    reader.Read<DWORD>();                    // help identifier
    EXPECT_EQ(static_cast<DWORD>(WS_EX_APPWINDOW), reader.Read<DWORD>());
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME |
                                 DS_SETFONT),
              reader.Read<DWORD>());
    const auto count = reader.Read<WORD>();
    EXPECT_EQ(0, reader.Read<short>());
    EXPECT_EQ(0, reader.Read<short>());
    EXPECT_EQ(114, reader.Read<short>());
    EXPECT_EQ(157, reader.Read<short>());
    WORD ordinal = 0;
    EXPECT_EQ(L"", reader.StringOrOrdinal(ordinal));  // no menu
    EXPECT_EQ(0, ordinal);
    EXPECT_EQ(L"", reader.StringOrOrdinal(ordinal));  // the standard dialog class
    EXPECT_EQ(0, ordinal);
    EXPECT_EQ(L"TARVEK Data Extraction ", reader.String());
    EXPECT_EQ(11, reader.Read<WORD>());  // points
    EXPECT_EQ(0, reader.Read<WORD>());   // weight
    EXPECT_EQ(0, reader.Read<BYTE>());   // italic
    EXPECT_EQ(1, reader.Read<BYTE>());   // character set
    EXPECT_EQ(L"ＭＳ ゴシック", reader.String());

    ASSERT_EQ(std::size(kControls), count);
    for (const ExpectedControl& expected : kControls) {
        SCOPED_TRACE(testing::Message() << "control " << static_cast<int>(expected.id) << " "
                                        << testing::PrintToString(expected.caption));
        reader.AlignToDword();
        reader.Read<DWORD>();  // help identifier
        const auto exStyle = reader.Read<DWORD>();
        const auto style = reader.Read<DWORD>();
        EXPECT_EQ(expected.x, reader.Read<short>());
        EXPECT_EQ(expected.y, reader.Read<short>());
        EXPECT_EQ(expected.cx, reader.Read<short>());
        EXPECT_EQ(expected.cy, reader.Read<short>());
        EXPECT_EQ(expected.id, reader.Read<DWORD>());
        EXPECT_EQ(L"", reader.StringOrOrdinal(ordinal));
        EXPECT_EQ(expected.classOrdinal, ordinal);
        EXPECT_EQ(expected.caption, reader.StringOrOrdinal(ordinal));
        reader.Skip(reader.Read<WORD>());  // creation data

        EXPECT_TRUE(style & WS_VISIBLE);
        EXPECT_EQ(expected.tabStop, (style & WS_TABSTOP) != 0);
        EXPECT_EQ(expected.group, (style & WS_GROUP) != 0);
        if (expected.classOrdinal == kButtonClass) {
            EXPECT_EQ(expected.kind, style & kButtonKindMask);
        }
        if (expected.classOrdinal == kStaticClass) {
            EXPECT_EQ(static_cast<DWORD>(SS_LEFT), style & SS_TYPEMASK);
        }
        if (expected.classOrdinal == kEditClass) {
            EXPECT_TRUE(style & WS_BORDER);
            EXPECT_TRUE(style & ES_AUTOHSCROLL);
            EXPECT_FALSE(style & ES_NUMBER);  // any character may be typed
            EXPECT_EQ(static_cast<DWORD>(WS_EX_RIGHT), exStyle);
        } else {
            EXPECT_EQ(0U, exStyle);
        }
    }
    EXPECT_FALSE(reader.Overran());
}

TEST_F(DialogResourceTest, IconHasSmallAndLargeImages)
{
    const std::string group =
        Resource(RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_APP_ICON), MAKELANGID(LANG_NEUTRAL, 0));
    ASSERT_GE(group.size(), 6U);
    TemplateReader reader(group);
    reader.Read<WORD>();
    EXPECT_EQ(1, reader.Read<WORD>());  // icons
    const auto count = reader.Read<WORD>();
    std::vector<int> sizes;
    for (int i = 0; i < count; ++i) {
        sizes.push_back(reader.Read<BYTE>());
        reader.Skip(13);  // the rest of the 14-byte entry
    }
    for (const int size : {16, 32}) {
        EXPECT_NE(sizes.end(), std::find(sizes.begin(), sizes.end(), size)) << size;
    }
}

TEST_F(DialogResourceTest, ManifestAsksForCommonControls6AndDpiAwareness)
{
    const std::string manifest =
        Resource(RT_MANIFEST, MAKEINTRESOURCEW(1), MAKELANGID(LANG_NEUTRAL, 0));
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\""));
    EXPECT_NE(std::string::npos, manifest.find("version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, manifest.find("<dpiAware"));
    // The program and the common controls it asks for are of the processor it
    // is built for, as this test is.
#ifdef _WIN64
    const std::string processor = "processorArchitecture=\"amd64\"";
#else
    const std::string processor = "processorArchitecture=\"x86\"";
#endif
    EXPECT_EQ(2, Occurrences(manifest, "processorArchitecture="));
    EXPECT_EQ(2, Occurrences(manifest, processor));
}

TEST_F(DialogResourceTest, VersionNamesTheProgram)
{
    const std::string version = Resource(RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO), kJapanese);
    ASSERT_FALSE(version.empty());
    const std::wstring text(reinterpret_cast<const wchar_t*>(version.data()),
                            version.size() / sizeof(wchar_t));
    EXPECT_NE(std::wstring::npos, text.find(L"tarvek_dconv.exe"));
}

}  // namespace
