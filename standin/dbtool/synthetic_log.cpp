// The synthetic log of tarvek_dbtool. A splitmix64 generator keeps it
// reproducible; the Japanese texts are converted to code page 932 once.
#include "standin/dbtool/synthetic_log.h"

#include <cstdio>

#include "standin/dbtool/cp932.h"

namespace {

const char* const kPrefixes[] = {"JA", "JE", "JF", "JG", "JH", "JI", "JJ", "JK", "JL", "JM",
                                 "JN", "JO", "JP", "JQ", "JR", "JS", "7K", "7L", "7M", "7N"};
const char* const kPortables[] = {"1", "2", "3", "0", "9", "M", "MM", "QRP", "P", "JD1"};

// Band: frequencies to pick from and the modes used there.
struct Band {
    const char* frequencies[3];
    const char* modes[3];
};
const Band kBands[] = {
    {{"1.910", "1.908", "1.912"}, {"CW", "CW", "FT8"}},
    {{"3.535", "3.573", "3.790"}, {"CW", "FT8", "SSB"}},
    {{"7.012", "7.074", "7.140"}, {"CW", "FT8", "SSB"}},
    {{"10.136", "10.116", "10.136"}, {"FT8", "CW", "FT4"}},
    {{"14.074", "14.025", "14.250"}, {"FT8", "CW", "SSB"}},
    {{"18.100", "18.080", "18.130"}, {"FT8", "CW", "SSB"}},
    {{"21.074", "21.020", "21.250"}, {"FT8", "CW", "SSB"}},
    {{"28.074", "28.500", "29.300"}, {"FT8", "SSB", "FM"}},
    {{"50.313", "50.250", "51.000"}, {"FT8", "SSB", "FM"}},
    {{"144.10", "145.00", "144.30"}, {"CW", "FM", "SSB"}},
    {{"430.10", "433.00", "431.20"}, {"CW", "FM", "SSB"}},
    {{"1295.0", "1294.5", "1296.2"}, {"FM", "FM", "CW"}},
};
const char* const kQsl[] = {"", "J", "JS", "JSR", "JSR", "E", "ER", "N", "D", "DSR"};
const char* const kPower[] = {"5", "10", "20", "50", "50", "100", "100", "200", "500"};

const char* const kNamesUtf8[] = {"山田", "佐藤", "鈴木",  "高橋", "田中",   "伊藤",  "渡辺",
                                  "中村", "小林", "加藤",  "吉田", "山本",   "Taro",  "Hiro",
                                  "Ken",  "Mike", "Yoshi", "ｶｽﾞ",  "さとし", "ひろみ"};
const char* const kQthsUtf8[] = {"東京都台東区", "東京都千代田区",   "東京都江戸川区",
                                 "横浜市青葉区", "札幌市中央区",     "名古屋市千種区",
                                 "大阪市北区",   "仙台市青葉区",     "八王子市",
                                 "富士宮市",     "さいたま市",       "福岡市博多区",
                                 "那覇市",       "鹿児島県大島郡",   "富山県中新川郡上市町",
                                 "小笠原村",     "足柄下郡湯河原町", "Sapporo",
                                 "Yokohama",     "Mt. Fuji 5th stn"};
const char* const kRemarksUtf8[] = {"",
                                    "",
                                    "",
                                    "",
                                    "FB QSO",
                                    "QSL via bureau",
                                    "初交信",
                                    "移動運用 山頂から",
                                    "ありがとうございました",
                                    "QRM/QRN",
                                    "Es propagation",
                                    "コンテスト 2024"};

}  // namespace

SyntheticLog::SyntheticLog(std::uint64_t seed) : m_state(seed)
{
    Cp932Converter converter;
    const auto convertAll = [&converter](const auto& utf8Texts, std::vector<std::string>& out) {
        for (const char* text : utf8Texts) {
            converter.Convert(text, out.emplace_back());
        }
    };
    convertAll(kNamesUtf8, m_names);
    convertAll(kQthsUtf8, m_qths);
    convertAll(kRemarksUtf8, m_remarks);
}

std::uint64_t SyntheticLog::Random()
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

int SyntheticLog::Below(int bound)
{
    return static_cast<int>(Random() % static_cast<std::uint64_t>(bound));
}

const std::string& SyntheticLog::Pick(const std::vector<std::string>& texts)
{
    return texts[static_cast<std::size_t>(Below(static_cast<int>(texts.size())))];
}

// JA1ABC style: two-character prefix, area digit, two or three letters.
std::string SyntheticLog::Callsign()
{
    std::string call = Pick(kPrefixes);
    call += static_cast<char>('0' + Below(10));
    const int letters = Below(5) == 0 ? 2 : 3;
    for (int i = 0; i < letters; ++i) {
        call += static_cast<char>('A' + Below(26));
    }
    return call;
}

// City (4 digits), ward (6 digits, a fifth of them Tokyo's 1001xx), county
// (5 digits) and town or village (5 digits and a letter) codes, a few empty.
std::string SyntheticLog::Code()
{
    // Room for any int the formats could print, though codes take at most 6.
    char code[40];
    const int prefecture = 1 + Below(47);
    switch (Below(9)) {
        case 0:
        case 1:
        case 2:
            std::snprintf(code, sizeof code, "%02d%02d", prefecture, 1 + Below(60));
            break;
        case 3:
            std::snprintf(code, sizeof code, "1001%02d", 1 + Below(23));
            break;
        case 4:
            std::snprintf(code, sizeof code, "%02d%02d%02d", prefecture, 1 + Below(20),
                          1 + Below(15));
            break;
        case 5:
        case 6:
            std::snprintf(code, sizeof code, "%02d%03d", prefecture, 1 + Below(20));
            break;
        case 7:
            std::snprintf(code, sizeof code, "%02d%03d%c", prefecture, 1 + Below(20),
                          'A' + Below(12));
            break;
        default:
            code[0] = '\0';
    }
    return code;
}

// "yy/mm/dd hh:mmJ" from 2000 to 2029, so that Tokyo ward codes fall on both
// sides of April 2010; one in ten in UTC.
std::string SyntheticLog::Stamp()
{
    char stamp[64];  // room for any ints, though a stamp takes 15
    std::snprintf(stamp, sizeof stamp, "%02d/%02d/%02d %02d:%02d%c", Below(30), 1 + Below(12),
                  1 + Below(28), Below(24), Below(60), Below(10) == 0 ? 'U' : 'J');
    return stamp;
}

// An FT8 report: signal to noise ratio in dB, "-20" to "+04".
std::string SyntheticLog::Decibels()
{
    char report[16];  // room for any int, though a report takes 3
    std::snprintf(report, sizeof report, "%+03d", -20 + Below(25));
    return report;
}

LogEntry SyntheticLog::Next()
{
    LogEntry entry;
    entry.callsign = Callsign();
    if (Below(10) < 3) {
        entry.portable = Pick(kPortables);
    }
    entry.stamp = Stamp();
    entry.code = Code();
    const Band& band = Pick(kBands);
    entry.frequency = Pick(band.frequencies);
    entry.mode = Pick(band.modes);
    if (entry.mode == "CW") {
        entry.rstSent = Below(4) == 0 ? "579" : "599";
        entry.rstReceived = Below(4) == 0 ? "589" : "599";
    } else if (entry.mode == "FT8" || entry.mode == "FT4") {
        entry.rstSent = Decibels();
        entry.rstReceived = Decibels();
    } else {
        entry.rstSent = Below(4) == 0 ? "57" : "59";
        entry.rstReceived = Below(4) == 0 ? "55" : "59";
    }
    entry.name = Pick(m_names);
    entry.qsl = Pick(kQsl);
    entry.power = Pick(kPower);
    entry.qth = Pick(m_qths);
    entry.remarks = Pick(m_remarks);
    if (Below(8) == 0) {
        entry.memo = Pick(m_remarks);
    }
    return entry;
}
