// The byte layout of the stand-in's two database files, shared by the library
// that reads them and the writer that makes them. README.md describes both
// formats byte by byte.
#pragma once

#include <cstdint>

namespace standin_db {

// Both files start with a 16-byte header: an 8-byte magic, the record count
// (int32 little-endian) and one int32 that pins the record layout.
constexpr int kHeaderSize = 16;
constexpr int kMagicSize = 8;
constexpr int kCountOffset = 8;
constexpr int kLayoutOffset = 12;

// "TARVEK.DBS": the header, then every record as its 280-byte image.
constexpr char kVersion4Magic[kMagicSize] = {'T', 'V', 'K', 'D', 'B', 'S', '4', '\0'};
constexpr int kVersion4RecordSize = 280;

// "TARVEK.VDB": the header, then one index entry per record holding the
// offsets of its thirteen texts within the text pool (uint32 little-endian),
// then the pool of NUL-terminated texts. The pool starts with the empty text
// and ends in a NUL, so a text that starts inside the pool ends inside it.
constexpr char kVersion5Magic[kMagicSize] = {'T', 'V', 'K', 'V', 'D', 'B', '5', '\0'};
constexpr int kVersion5TextsPerRecord = 13;
constexpr int kVersion5IndexEntrySize = kVersion5TextsPerRecord * 4;

// The thirteen texts of an index entry, in order: six copied into the record
// buffer, seven handed out by address.
constexpr int kVersion5CopiedTexts = 6;
constexpr int kVersion5AddressedTexts = 7;

// Where VKD_readv copies the six texts, and the longest text each may be.
constexpr int kVersion5CopiedOffsets[kVersion5CopiedTexts] = {0, 21, 37, 44, 51, 57};
constexpr int kVersion5CopiedMaxLengths[kVersion5CopiedTexts] = {20, 15, 6, 6, 5, 763};

// Where VKD_readv stores the seven 4-byte text addresses (unaligned).
constexpr int kVersion5FirstAddressOffset = 821;

constexpr std::uint32_t LoadUint32Le(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

constexpr void StoreUint32Le(std::uint8_t* bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

}  // namespace standin_db
