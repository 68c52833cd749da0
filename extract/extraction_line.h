// The extraction line: 200 fixed columns, then CR LF, built in 203 bytes of
// which the first 202 are written. Every record of every extraction file is
// one such line.
#pragma once

#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

inline constexpr int kLineBufferSize = 203;
inline constexpr int kLineColumns = 200;
inline constexpr int kLineBytesOnDisk = 202;

// Start columns of the line's fields; a field runs to the next one's start.
inline constexpr int F000 = 0;
inline constexpr int F007 = 7;
inline constexpr int F010 = 10;
inline constexpr int F016 = 16;
inline constexpr int F022 = 22;
inline constexpr int F029 = 29;
inline constexpr int F032 = 32;
inline constexpr int F044 = 44;
inline constexpr int F047 = 47;
inline constexpr int F058 = 58;
inline constexpr int F061 = 61;
inline constexpr int F064 = 64;
inline constexpr int F092 = 92;
inline constexpr int F146 = 146;

// The stamp field holds eleven single characters.
inline constexpr int kStampColumns = 11;
// The third column of F044 carries the mark of the filtered extractions.
inline constexpr int kMarkColumn = 46;
inline constexpr int kF064Width = F092 - F064;

// A line as it is built: the kLineBufferSize bytes at bytes, which the caller
// keeps, and how far they are known blank. Every byte from blankFrom on is a
// space: a text placed there may store whole blocks or words, spaces behind
// its NUL, where elsewhere it must leave the bytes behind its NUL as they
// are. Only ClearLine makes a line known blank.
struct ExtractionLine {
    char* bytes;
    int blankFrom = kLineBufferSize;
};

// Every byte that a placement or the stamp would bring to the line as NUL is
// stored as a space instead, so that the line is final as it is built.
//
// The building functions are defined inline below: a line takes a dozen
// placements, and a call for each cost about as much as the placement itself.

// Sets all 203 bytes to spaces.
void ClearLine(ExtractionLine& line);

// Copies the text at source, up to and including its first NUL (stored as a
// space), to the line from column on. Nothing is written past position 202:
// a longer text runs on into the following columns until the next placement
// overwrites them. source must have available readable bytes: bytes past the
// NUL may be read, though never more than available.
void PlaceText(ExtractionLine& line, int column, const char* source, std::size_t available);

// The same for a text of unknown extent, such as one that the log library
// owns: bytes past its NUL are read only within the page of one of its
// bytes, so no read can fault, and none of them is placed; at most what the
// line has room for is placed.
void PlaceTerminatedText(ExtractionLine& line, int column, const char* text);

// Stores the stamp "yy/mm/dd hh:mmZ" at stamp into F047 without its
// separators, whatever its bytes (NUL as a space). The byte after the stamp
// is read too, never placed. One call per line, not one per byte: the stamp
// is stored on every record.
void StoreStamp(ExtractionLine& line, const std::uint8_t* stamp);

// Ends the line with CR, LF and NUL.
void FinishLine(ExtractionLine& line);

// The placements' word-at-a-time helpers.
namespace line_words {

// Texts are placed a machine word at a time: eight bytes natively, four in
// the 32-bit build, where wider integers would take two registers each.
using Word = std::uintptr_t;
constexpr std::size_t kWordBytes = sizeof(Word);
constexpr Word kOnes = ~Word{0} / 0xFF;
constexpr Word kHighBits = kOnes * 0x80;

// The top bit of each byte of word that is 0, and possibly of bytes above the
// lowest such one: subtracting 1 from each byte borrows into its top bit where
// the byte was 0 (or from the byte below). The lowest bit set is exact.
inline Word ZeroBytes(Word word)
{
    return (word - kOnes) & ~word & kHighBits;
}

inline Word LoadWord(const char* bytes)
{
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

inline void StoreWord(char* bytes, Word word)
{
    std::memcpy(bytes, &word, sizeof word);
}

// Memory is readable or not by whole pages of 4 KiB (or of a multiple of it)
// on every machine the program runs on.
constexpr std::uintptr_t kPageBytes = 4096;

// Whether the word at bytes lies in one page.
inline bool InOnePage(const char* bytes)
{
    return reinterpret_cast<std::uintptr_t>(bytes) % kPageBytes <= kPageBytes - kWordBytes;
}

// The word at bytes, of a text whose first byte there is readable, read in
// one page: a page that holds a readable byte can be read in full, so the
// read cannot fault however soon after that byte the text ends. The bytes
// past the text's end may lie outside its allocation, which AddressSanitizer
// would report though they are never placed; every other read of the line's
// code stays checked.
// Its own copy, not a call of LoadWord: that one is checked.
__attribute__((no_sanitize("address"))) inline Word LoadPageWord(const char* bytes)
{
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// Stores the count low bytes of word at target, 1 to a word's worth, by
// stores alone: the low part and the high part, overlapping where count is
// not a size of its own. No byte of the line is read back: a read of bytes
// that stores of other widths have just written waits for them, and cost
// more than the placement itself.
inline void StoreLowBytes(char* target, Word word, std::size_t count)
{
    if (count == kWordBytes) {
        StoreWord(target, word);
    } else if (count >= 4) {
        const auto low = static_cast<std::uint32_t>(word);
        const auto high = static_cast<std::uint32_t>(word >> (8 * (count - 4)));
        std::memcpy(target, &low, 4);
        std::memcpy(target + count - 4, &high, 4);
    } else if (count >= 2) {
        const auto low = static_cast<std::uint16_t>(word);
        const auto high = static_cast<std::uint16_t>(word >> (8 * (count - 2)));
        std::memcpy(target, &low, 2);
        std::memcpy(target + count - 2, &high, 2);
    } else {
        target[0] = static_cast<char>(word);
    }
}

constexpr Word kSpaces = kOnes * ' ';

// Stores word at target up to and including its first NUL, that NUL as a
// space; returns how many bytes that is, or 0 when word held no NUL and was
// stored whole. Behind the NUL, a blank target takes spaces in one whole-word
// store; any other keeps its bytes, stored around by StoreLowBytes. The one
// store does not depend on the text's length: with the length taken apart
// in branches, real logs, whose texts vary in length from record to record,
// mispredicted them on most placements.
// Little-endian: the lowest zero byte holds the lowest bit of ZeroBytes.
inline std::size_t PlaceWord(char* target, Word word, bool blankTarget)
{
    static_assert(std::endian::native == std::endian::little,
                  "PlaceWord takes a loaded word's lowest zero byte for the first NUL in memory: "
                  "true only where the first byte loads into the word's low bits (little-endian)");
    const Word zeros = ZeroBytes(word);
    if (zeros == 0) {
        StoreWord(target, word);
        return 0;
    }
    // The NUL's top bit, moved down two, is its 0x20, a space: the bits
    // below it are the text's bytes before the NUL, and from it on every
    // byte takes a space.
    const Word nulSpace = (zeros & (~zeros + 1)) >> 2;
    const auto count = static_cast<std::size_t>(std::countr_zero(zeros)) / 8 + 1;
    if (blankTarget) {
        const Word beforeNul = nulSpace - 1;
        StoreWord(target, (word & beforeNul) | (kSpaces & ~beforeNul));
    } else {
        StoreLowBytes(target, word | nulSpace, count);
    }
    return count;
}

// After a text's placed bytes end at column end (its NUL, placed as a space,
// not counted), the line is blank from the later of that and where it was
// blank before.
inline void PlacedUpTo(ExtractionLine& line, std::size_t end)
{
    line.blankFrom = std::max(line.blankFrom, static_cast<int>(end));
}

// The same for a text: placed where the line was blank, it leaves the line
// blank from its end, whatever the line was before. Set apart so that a
// placement does not wait for the one before it to store its end.
inline void PlacedTextUpTo(ExtractionLine& line, std::size_t end, bool blank)
{
    if (blank) {
        line.blankFrom = static_cast<int>(end);
    } else {
        PlacedUpTo(line, end);
    }
}

// Texts first go a block of 16 bytes at a time, with the SSE2 instructions
// that both builds have: most texts of a log end within their first block,
// in either build, where words of 8 or 4 bytes would take two or more turns
// of a loop whose last turn varies with the text's length.
using Block = __m128i;
constexpr std::size_t kBlockBytes = sizeof(Block);

inline Block LoadBlock(const char* bytes)
{
    return _mm_loadu_si128(reinterpret_cast<const Block*>(bytes));
}

// The block at bytes, read in one page as LoadPageWord reads a word.
__attribute__((no_sanitize("address"))) inline Block LoadPageBlock(const char* bytes)
{
    return _mm_loadu_si128(reinterpret_cast<const Block*>(bytes));
}

inline bool BlockInOnePage(const char* bytes)
{
    return reinterpret_cast<std::uintptr_t>(bytes) % kPageBytes <= kPageBytes - kBlockBytes;
}

inline void StoreBlock(char* bytes, Block block)
{
    _mm_storeu_si128(reinterpret_cast<Block*>(bytes), block);
}

// One bit for each NUL of block, the first byte's lowest.
inline unsigned NulBits(Block block)
{
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_setzero_si128())));
}

// The first count bytes of block, then spaces.
inline Block SpacesFrom(Block block, int count)
{
    const Block positions = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const Block kept = _mm_cmplt_epi8(positions, _mm_set1_epi8(static_cast<char>(count)));
    return _mm_or_si128(_mm_and_si128(kept, block), _mm_andnot_si128(kept, _mm_set1_epi8(' ')));
}

// What PlaceBlock did with a block of a text.
enum class BlockPlacement {
    kWhole,         // it held no NUL and was stored whole: the text goes on
    kEnded,         // it held the NUL and was stored, spaces from the NUL on
    kLeftForWords,  // it held the NUL, but the line is not blank there
};

// A NUL reaching the line is a space there: stored so as it is placed, the
// line needs no pass of its own at the end.
inline char LineByte(char byte)
{
    return byte == '\0' ? ' ' : byte;
}

// Places block, the text's bytes from offset on, at column + offset. Blocks
// go before words: each is stored whole until the one that holds the NUL. On
// a blank target that one is stored whole as well, with spaces from the NUL
// on; elsewhere the words store up to the NUL.
inline BlockPlacement PlaceBlock(ExtractionLine& line, int column, std::size_t offset, Block block,
                                 bool blank)
{
    char* target = line.bytes + column + offset;
    const unsigned nuls = NulBits(block);
    if (nuls == 0) {
        StoreBlock(target, block);
        return BlockPlacement::kWhole;
    }
    if (!blank) {
        return BlockPlacement::kLeftForWords;
    }
    const int count = std::countr_zero(nuls);
    StoreBlock(target, SpacesFrom(block, count));
    PlacedTextUpTo(line, column + offset + static_cast<std::size_t>(count), blank);
    return BlockPlacement::kEnded;
}

}  // namespace line_words

inline void ClearLine(ExtractionLine& line)
{
    std::memset(line.bytes, ' ', kLineBufferSize);
    line.blankFrom = 0;
}

inline void PlaceText(ExtractionLine& line, int column, const char* source, std::size_t available)
{
    using namespace line_words;
    const std::size_t room =
        std::min(available, static_cast<std::size_t>(kLineBufferSize - column));
    char* target = line.bytes + column;
    const bool blank = column >= line.blankFrom;
    // One pass: blocks, then words, each stored whole until the one that
    // holds the NUL (see PlaceBlock).
    std::size_t i = 0;
    for (; i + kBlockBytes <= room; i += kBlockBytes) {
        const BlockPlacement placed = PlaceBlock(line, column, i, LoadBlock(source + i), blank);
        if (placed == BlockPlacement::kEnded) {
            return;
        }
        if (placed == BlockPlacement::kLeftForWords) {
            break;
        }
    }
    for (; i + kWordBytes <= room; i += kWordBytes) {
        if (const std::size_t count = PlaceWord(target + i, LoadWord(source + i), blank)) {
            PlacedTextUpTo(line, column + i + count - 1, blank);
            return;
        }
    }
    if (i < room && room >= kWordBytes) {
        // The last word ends at room and overlaps the one before, which held
        // no NUL: the first NUL it finds lies in the bytes not yet placed.
        i = room - kWordBytes;
        const std::size_t count = PlaceWord(target + i, LoadWord(source + i), blank);
        PlacedTextUpTo(line, column + (count == 0 ? room : i + count - 1), blank);
        return;
    }
    for (; i < room; ++i) {
        target[i] = LineByte(source[i]);
        if (source[i] == '\0') {
            break;
        }
    }
    PlacedTextUpTo(line, column + i, blank);
}

inline void PlaceTerminatedText(ExtractionLine& line, int column, const char* text)
{
    using namespace line_words;
    const auto room = static_cast<std::size_t>(kLineBufferSize - column);
    char* target = line.bytes + column;
    // As PlaceText places a text, a word at a time, with each word read only
    // when the words before it held no NUL, so that its first byte is the
    // text's, and only when it lies in that byte's page (see LoadPageWord).
    // A word that would cross into the next page, and the last few bytes of
    // the room, are placed byte by byte, up to the NUL. Blocks go first, as
    // in PlaceText, each read only within one page in the same way.
    const bool blank = column >= line.blankFrom;
    std::size_t i = 0;
    for (; i + kBlockBytes <= room && BlockInOnePage(text + i); i += kBlockBytes) {
        const BlockPlacement placed = PlaceBlock(line, column, i, LoadPageBlock(text + i), blank);
        if (placed == BlockPlacement::kEnded) {
            return;
        }
        if (placed == BlockPlacement::kLeftForWords) {
            break;
        }
    }
    for (; i + kWordBytes <= room && InOnePage(text + i); i += kWordBytes) {
        if (const std::size_t count = PlaceWord(target + i, LoadPageWord(text + i), blank)) {
            PlacedTextUpTo(line, column + i + count - 1, blank);
            return;
        }
    }
    for (; i < room; ++i) {
        target[i] = LineByte(text[i]);
        if (text[i] == '\0') {
            break;
        }
    }
    PlacedTextUpTo(line, column + i, blank);
}

inline void StoreStamp(ExtractionLine& line, const std::uint8_t* stamp)
{
    using namespace line_words;
    // Two characters between each separator: five pairs, and the zone letter
    // with the byte after it, each read as one 16-bit lane.
    const auto pair = [stamp](int offset) {
        std::uint16_t bytes;
        std::memcpy(&bytes, stamp + offset, sizeof bytes);
        return static_cast<short>(bytes);
    };
    const Block read = _mm_setr_epi16(pair(0), pair(3), pair(6), pair(9), pair(12), pair(14), 0, 0);
    const Block nuls = _mm_cmpeq_epi8(read, _mm_setzero_si128());
    const Block characters = _mm_or_si128(read, _mm_and_si128(nuls, _mm_set1_epi8(' ')));
    // The eleven bytes as eight and four, overlapping by one, by stores alone.
    _mm_storel_epi64(reinterpret_cast<Block*>(line.bytes + F047), characters);
    const auto last = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(characters, 7)));
    std::memcpy(line.bytes + F047 + 7, &last, sizeof last);
    PlacedUpTo(line, F047 + kStampColumns);
}

inline void FinishLine(ExtractionLine& line)
{
    line.bytes[kLineColumns] = '\r';
    line.bytes[kLineColumns + 1] = '\n';
    line.bytes[kLineColumns + 2] = '\0';
    line.blankFrom = kLineBufferSize;
}
