// The reference-code tests of the filtered version-5 extractions. Each looks
// at the code in columns 10 to 15 of a finished extraction line and returns 1
// to accept the record, 0 to reject it.
#pragma once

// JCC (cities and wards). code is the line from column 10, stamp the line from
// column 47. An accepted six-digit code may be shortened in place to its first
// four digits; a Tokyo ward code 1001xx stays whole while the stamp's yymm
// lies from 1004 to 3001.
int IsJccCode(char* code, const char* stamp);

// JCG (counties). A five-digit code followed by any other byte than a digit or
// a space is shortened in place to its five digits.
int IsJcgCode(char* code);

// The verdicts of IsJccCode and IsJcgCode alone, as booleans, with the code
// left as it is: whether its first six bytes make a city or ward code (four
// digits, the first 0 to 4, or six digits) or a county code (five digits).
bool AcceptsJccCode(const char* code);
bool AcceptsJcgCode(const char* code);

// Towns and villages: five bytes 0x30 to 0x3F and an upper-case letter. The
// line is never changed.
int IsTownCode(const char* code);
bool AcceptsTownCode(const char* code);

// Each test run on a finished extraction line, from its start: true when it
// accepts the line's code, which it may shorten as it does.
bool KeepsJccLine(char* line);
bool KeepsJcgLine(char* line);
bool KeepsTownLine(char* line);
