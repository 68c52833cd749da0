// The three reference filters, alone and in the mode step of the version-5
// extraction, on arbitrary code and stamp bytes.
// Input: the 200 columns of a finished line (a shorter input is padded with
// spaces; a NUL, which a finished line never holds, becomes a space in the
// line but stays in the code and stamp given to the filters alone).
// Checks, for IsJccCode, IsJcgCode and IsTownCode on the code (columns 10 to
// 15) and the stamp (47 to 50), each in an allocation of exactly its size so
// that AddressSanitizer reports a read past it: the result is 0 or 1 and is
// the one that the filter's rules give, worked out here directly from them;
// the code changes only where and when the rules say (JCC: columns 14 and
// 15 to spaces, JCG: column 15 to a space, town: never, and only on
// acceptance); AcceptsJccCode and AcceptsJcgCode give the same verdicts and
// change nothing. For the mode step of modes 2 to 5 on the whole line: the line
// is kept exactly when the mode's filter accepts, and changes only in the
// filter's columns, the mark column 46 and, in modes 3 and 4, F064.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "extract/extraction_modes.h"
#include "extract/line_layout.h"
#include "extract/reference_filters.h"
#include "extract/version5_extraction.h"
#include "fuzz/fuzz_support.h"

namespace {

bool IsDigit(char byte)
{
    return byte >= '0' && byte <= '9';
}

// The number of leading digits among the six code bytes.
int LeadingDigits(const std::string& code)
{
    int count = 0;
    while (count < 6 && IsDigit(code[count])) {
        ++count;
    }
    return count;
}

// The stamp's first four characters as a decimal number: white space
// skipped, one sign, digits up to the first other character (or NUL).
long StampNumber(const std::string& stamp)
{
    std::size_t at = 0;
    while (at < 4 && std::strchr(" \t\n\v\f\r", stamp[at]) != nullptr && stamp[at] != '\0') {
        ++at;
    }
    bool negative = false;
    if (at < 4 && (stamp[at] == '+' || stamp[at] == '-')) {
        negative = stamp[at] == '-';
        ++at;
    }
    long value = 0;
    while (at < 4 && IsDigit(stamp[at])) {
        value = value * 10 + (stamp[at++] - '0');
    }
    return negative ? -value : value;
}

// The outcome the rules give: the result and the code as written.
struct Outcome {
    int result;
    std::string code;
};

Outcome Jcc(const std::string& code, const std::string& stamp)
{
    const int digits = LeadingDigits(code);
    if (digits == 4 && code[0] >= '0' && code[0] <= '4') {
        return {1, code};
    }
    if (digits == 6) {
        const long yymm = StampNumber(stamp);
        if (code.compare(0, 4, "1001") == 0 && yymm >= 1004 && yymm <= 3001) {
            return {1, code};
        }
        return {1, code.substr(0, 4) + "  "};
    }
    return {0, code};
}

Outcome Jcg(const std::string& code)
{
    int digits = 0;
    while (digits < 6 && IsDigit(code[digits])) {
        ++digits;
    }
    if (digits != 5) {
        return {0, code};
    }
    // The byte after five digits: a space keeps the code, anything else is cut.
    return {1, code[5] == ' ' ? code : code.substr(0, 5) + " "};
}

Outcome Town(const std::string& code)
{
    bool accepted = code[5] >= 'A' && code[5] <= 'Z';
    for (int i = 0; i < 5; ++i) {
        accepted = accepted && (static_cast<unsigned char>(code[i]) & 0xF0) == 0x30;
    }
    return {accepted ? 1 : 0, code};
}

// A copy of bytes in an allocation of exactly their size.
std::unique_ptr<char[]> Exact(const std::string& bytes)
{
    auto copy = std::make_unique<char[]>(bytes.size());
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    return copy;
}

void CheckFiltersAlone(const std::string& code, const std::string& stamp)
{
    const auto jccCode = Exact(code);
    const auto jccStamp = Exact(stamp);
    // The verdicts alone come first, while the codes are still as given.
    FUZZ_CHECK(AcceptsJccCode(jccCode.get()) == (Jcc(code, stamp).result == 1));
    FUZZ_CHECK(AcceptsJcgCode(jccCode.get()) == (Jcg(code).result == 1));
    const int jcc = IsJccCode(jccCode.get(), jccStamp.get());
    const Outcome jccRule = Jcc(code, stamp);
    FUZZ_CHECK(jcc == jccRule.result);
    FUZZ_CHECK(std::string(jccCode.get(), 6) == jccRule.code);
    FUZZ_CHECK(std::string(jccStamp.get(), 4) == stamp);

    const auto jcgCode = Exact(code);
    const int jcg = IsJcgCode(jcgCode.get());
    const Outcome jcgRule = Jcg(code);
    FUZZ_CHECK(jcg == jcgRule.result);
    FUZZ_CHECK(std::string(jcgCode.get(), 6) == jcgRule.code);

    const auto townCode = Exact(code);
    FUZZ_CHECK(IsTownCode(townCode.get()) == Town(code).result);
    FUZZ_CHECK(std::string(townCode.get(), 6) == code);
}

void CheckModeStep(const std::string& finished, int mode)
{
    const std::string code = finished.substr(F010, 6);
    const Outcome rule = mode == 3   ? Jcc(code, finished.substr(F047, 4))
                         : mode == 4 ? Jcg(code)
                         : mode == 5 ? Town(code)
                                     : Outcome{1, code};
    std::string expected = finished;
    if (rule.result == 1 && mode != 2) {
        expected.replace(F010, 6, rule.code);
        if (expected[kMarkColumn] != ' ') {
            expected[kMarkColumn] = 'C';
        }
        if (mode == 3 || mode == 4) {
            expected.replace(F064, kF064Width, kF064Width, ' ');
        }
    }
    const auto line = std::make_unique<char[]>(kLineBufferSize);
    std::memcpy(line.get(), finished.data(), kLineBufferSize);
    FUZZ_CHECK(ApplyModeStep(kExtractionModes[mode], line.get()) == (rule.result == 1));
    FUZZ_CHECK(std::memcmp(line.get(), expected.data(), kLineBufferSize) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string columns(kLineColumns, ' ');
    std::memcpy(columns.data(), data, std::min<std::size_t>(size, kLineColumns));

    CheckFiltersAlone(columns.substr(F010, 6), columns.substr(F047, 4));

    std::string finished = columns;
    for (char& byte : finished) {
        byte = byte == '\0' ? ' ' : byte;
    }
    finished += std::string("\r\n\0", 3);
    for (int mode = 2; mode <= 5; ++mode) {
        CheckModeStep(finished, mode);
    }
    return 0;
}
