// The JCC, JCG and town/village tests.
#include "extract/reference_filters.h"

#include <cstring>

#include "extract/extraction_line.h"
#include "platform/decimal.h"

namespace {

constexpr int kCodeLength = 6;
constexpr int kCityLength = 4;
constexpr int kCountyLength = 5;
// A code of four digits is a city's only when its first digit is 0 to 4.
constexpr char kLastCityFirstDigit = '4';
constexpr int kStampPrefixLength = 4;

// Tokyo's wards count as cities of their own from April 2010 on.
constexpr int kWardWindowFirst = 1004;
constexpr int kWardWindowLast = 3001;
constexpr char kTokyoCityPrefix[] = "1001";

bool IsDigit(unsigned char byte)
{
    return byte >= '0' && byte <= '9';
}

bool IsUpperCaseLetter(unsigned char byte)
{
    return byte >= 'A' && byte <= 'Z';
}

// The scratch text each test examines: cleared in full before every copy,
// so a copy of k bytes is a text of exactly k characters.
struct WorkCopy {
    char text[kCodeLength + 1];

    void CopyFrom(const char* source, int length)
    {
        std::memset(text, 0, sizeof text);
        std::memcpy(text, source, static_cast<std::size_t>(length));
    }
};

// Whether the stamp's yymm lies in the window in which a ward code counts.
bool IsInWardWindow(const char* stamp)
{
    WorkCopy work;
    work.CopyFrom(stamp, kStampPrefixLength);
    const int yymm = ParseDecimal(work.text, kStampPrefixLength);
    return yymm >= kWardWindowFirst && yymm <= kWardWindowLast;
}

// How many of the code's six bytes, from its first, are digits. All six are
// looked at, so that the count takes no branch: codes of every length come
// mixed in a log, and a loop that stopped at the first other byte took a
// mispredicted exit on most of them.
int LeadingDigits(const char* code)
{
    int count = 0;
    int digits = 1;
    for (int i = 0; i < kCodeLength; ++i) {
        digits &= IsDigit(static_cast<unsigned char>(code[i])) ? 1 : 0;
        count += digits;
    }
    return count;
}

}  // namespace

bool AcceptsJccCode(const char* code)
{
    const int digits = LeadingDigits(code);
    // Bitwise, not logical: one more branch on the length would mispredict
    // as the count's loop did.
    const bool city = (digits == kCityLength) & (code[0] <= kLastCityFirstDigit);
    return city | (digits == kCodeLength);
}

bool AcceptsJcgCode(const char* code)
{
    return LeadingDigits(code) == kCountyLength;
}

int IsJccCode(char* code, const char* stamp)
{
    WorkCopy work;
    work.CopyFrom(code, kCodeLength);
    if (!AcceptsJccCode(work.text)) {
        return 0;
    }
    // An accepted code of four digits ends before its fifth byte.
    const bool ward = IsDigit(static_cast<unsigned char>(work.text[kCityLength]));
    // The stamp is read only here: it decides no verdict, only whether a ward
    // code stays whole.
    if (ward &&
        !(std::memcmp(work.text, kTokyoCityPrefix, kCityLength) == 0 && IsInWardWindow(stamp))) {
        // A ward is counted as its city: keep the city's four digits.
        std::memset(code + kCityLength, ' ', kCodeLength - kCityLength);
    }
    return 1;
}

int IsJcgCode(char* code)
{
    WorkCopy work;
    work.CopyFrom(code, kCodeLength);
    if (!AcceptsJcgCode(work.text)) {
        return 0;
    }
    // Whatever follows the county's five digits, a town's letter, the code's
    // end or a space, the line shows a space there: count the county.
    code[kCountyLength] = ' ';
    return 1;
}

bool AcceptsTownCode(const char* code)
{
    // A county's five digits, here any byte of 0x30 to 0x3F, then the town's
    // letter. Every byte is looked at, as LeadingDigits looks at them.
    bool accepted = IsUpperCaseLetter(static_cast<unsigned char>(code[kCountyLength]));
    for (int i = 0; i < kCountyLength; ++i) {
        accepted &= (static_cast<unsigned char>(code[i]) & 0xF0) == 0x30;
    }
    return accepted;
}

int IsTownCode(const char* code)
{
    return AcceptsTownCode(code) ? 1 : 0;
}

bool KeepsJccLine(char* line)
{
    return IsJccCode(line + F010, line + F047) == 1;
}

bool KeepsJcgLine(char* line)
{
    return IsJcgCode(line + F010) == 1;
}

bool KeepsTownLine(char* line)
{
    return IsTownCode(line + F010) == 1;
}
