// Writing the stand-in's database files "TARVEK.DBS" (version 4) and
// "TARVEK.VDB" (version 5), for tests and for tarvek_dbtool. Texts are raw
// bytes (code page 932 in real logs) and are stored unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One version-4 record exactly as DbsDbrRead leaves it in bytes 0..279 of the
// version-4 context.
inline constexpr int kVersion4RecordImageSize = 280;
using Version4RecordImage = std::array<std::uint8_t, kVersion4RecordImageSize>;

// The texts of a version-4 record, named after the line field each feeds.
// f047 is the 15-byte stamp ("24/05/03 12:34J") stored at offsets 12..26.
struct Version4RecordTexts {
    std::string f000, f007, f010, f016, f022, f029, f032, f044, f047, f058, f061, f064, f092, f146;
};

// Offset and room of each text of the version-4 record image.
struct Version4Place {
    std::string Version4RecordTexts::*text;
    int offset;
    int room;  // bytes up to the next place, NUL included
};

inline constexpr Version4Place kVersion4Places[] = {
    {&Version4RecordTexts::f000, 0, 8},    {&Version4RecordTexts::f007, 8, 4},
    {&Version4RecordTexts::f047, 12, 16},  {&Version4RecordTexts::f058, 28, 4},
    {&Version4RecordTexts::f061, 32, 4},   {&Version4RecordTexts::f022, 36, 8},
    {&Version4RecordTexts::f029, 44, 4},   {&Version4RecordTexts::f010, 48, 7},
    {&Version4RecordTexts::f016, 55, 7},   {&Version4RecordTexts::f044, 62, 4},
    {&Version4RecordTexts::f032, 66, 13},  {&Version4RecordTexts::f064, 79, 29},
    {&Version4RecordTexts::f092, 108, 55}, {&Version4RecordTexts::f146, 163, 117},
};

// Builds the record image: each text at its offset, padded with NULs up to
// the next text. Returns false, leaving image unspecified, when a text does
// not fit its room with its NUL (the stamp: more than 15 bytes); texts are
// never cut, so a test that wants an overlong text writes the image itself.
bool BuildVersion4RecordImage(const Version4RecordTexts& texts, Version4RecordImage& image);

// One version-5 record: VKD_readv copies the first six texts into the record
// buffer at offsets 0, 21, 37, 44, 51 and 57, and hands out the seven
// addressed texts through the address fields at 821, 825, ..., 845, in order
// (they feed F061, F022, F029, F032, F064, F092 and F146).
struct Version5RecordTexts {
    std::string leading, stamp, code, text44, text51, text57;
    std::string addressed[7];
};

// The six copied texts, in the order of the format's copied offsets.
inline constexpr std::string Version5RecordTexts::*kVersion5CopiedMembers[] = {
    &Version5RecordTexts::leading, &Version5RecordTexts::stamp,  &Version5RecordTexts::code,
    &Version5RecordTexts::text44,  &Version5RecordTexts::text51, &Version5RecordTexts::text57};

// The longest texts VKD_readv copies, so that each ends before the next place
// of the record buffer: leading 20, stamp 15, code 6, text44 6, text51 5,
// text57 763. Addressed texts have no limit.
bool FitsVersion5Record(const Version5RecordTexts& texts);

// Collects version-4 records in memory and writes "TARVEK.DBS" in one go.
class Version4DatabaseBuilder {
public:
    // Room for this many records, to spare the growth of a large database.
    void Reserve(std::size_t records);
    void Add(const Version4RecordImage& image);
    bool Write(const std::string& path) const;

private:
    std::vector<std::uint8_t> m_records;
    std::int32_t m_count = 0;
};

// Collects version-5 records in memory (index and text pool) and writes
// "TARVEK.VDB" in one go.
class Version5DatabaseBuilder {
public:
    Version5DatabaseBuilder();

    // Room for this many index entries, to spare the growth of a large database.
    void Reserve(std::size_t records);

    // Returns false, adding nothing, when a copied text is too long (see
    // FitsVersion5Record) or the file would outgrow its 32-bit offsets.
    bool Add(const Version5RecordTexts& texts);
    bool Write(const std::string& path) const;

private:
    void AddText(const std::string& text);

    std::int32_t m_count = 0;
    std::vector<std::uint8_t> m_index;  // the file's index entries, byte for byte
    std::string m_pool;
};

// Whole-file conveniences over the builders: false when a record is rejected
// or the file cannot be written.
bool WriteVersion4Database(const std::string& path,
                           const std::vector<Version4RecordImage>& records);
bool WriteVersion5Database(const std::string& path,
                           const std::vector<Version5RecordTexts>& records);
