// The JCC, JCG and town/village tests.
#include "extract/reference_filters.h"

#include <cstring>

#include "platform/decimal.h"

namespace {

constexpr int kCodeLength = 6;
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

}  // namespace

int IsJccCode(char* code, const char* stamp)
{
    WorkCopy work;
    work.CopyFrom(code, kCodeLength);
    int length = 0;
    while (length < kCodeLength && IsDigit(static_cast<unsigned char>(work.text[length]))) {
        ++length;
    }

    if (length == 4 && work.text[0] >= '0' && work.text[0] <= '4') {
        return 1;
    }
    if (length == kCodeLength) {
        // The stamp is read only here: it decides no verdict, only whether
        // a ward code stays whole.
        if (std::memcmp(work.text, kTokyoCityPrefix, 4) == 0 && IsInWardWindow(stamp)) {
            return 1;
        }
        // A ward is counted as its city: keep the city's four digits.
        code[4] = ' ';
        code[5] = ' ';
        return 1;
    }
    return 0;
}

int IsJcgCode(char* code)
{
    WorkCopy work;
    work.CopyFrom(code, kCodeLength);
    int length = 0;
    bool hasSuffix = false;
    while (length < kCodeLength) {
        const auto byte = static_cast<unsigned char>(work.text[length]);
        if (byte == ' ') {
            break;
        }
        if (!IsDigit(byte)) {
            hasSuffix = true;
            break;
        }
        ++length;
    }

    if (length != 5) {
        return 0;
    }
    if (hasSuffix) {
        // A town's letter after a county code: count the county.
        code[5] = ' ';
    }
    return 1;
}

int IsTownCode(const char* code)
{
    int counted = 0;
    while (counted < 5 && (static_cast<unsigned char>(code[counted]) & 0xF0) == 0x30) {
        ++counted;
    }
    return counted == 5 && IsUpperCaseLetter(static_cast<unsigned char>(code[5])) ? 1 : 0;
}
