// The placement kit that builds the extraction line (its layout is in
// line_layout.h). Where the compiler says the CPU has SSE2, a fast kit of
// machine words and SSE2 blocks, which also keeps the line's blankFrom;
// on any other CPU, and where the build forces it (TARVEK_PLAIN_LINE), the
// plain twin of plain_line.h, whose rules the fast kit must follow byte for
// byte. ClearLine, PlaceText, PlaceTerminatedText, StoreStamp and FinishLine
// are the twin's or the fast kit's, as chosen at the end.
//
// The fast functions are defined inline: a line takes a dozen placements,
// and a call for each cost about as much as the placement itself.
#pragma once

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "extract/line_layout.h"
#include "extract/plain_line.h"

// The line is built by the fast kit, with its SSE2 blocks.
#if defined(__SSE2__) && !defined(TARVEK_PLAIN_LINE)
#define TARVEK_FAST_LINE 1
#endif

// The fast kit's word-at-a-time helpers, portable, and its block helpers,
// where there is SSE2.
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

#ifdef __SSE2__

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

using plain_line::LineByte;

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

#endif  // __SSE2__

}  // namespace line_words

#ifdef __SSE2__

// The fast kit's placements: the twin's, a block or a word at a time where
// the line is known blank.
namespace fast_line {

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

}  // namespace fast_line

#endif  // __SSE2__

#ifdef TARVEK_FAST_LINE
using fast_line::ClearLine;
using fast_line::FinishLine;
using fast_line::PlaceTerminatedText;
using fast_line::PlaceText;
using fast_line::StoreStamp;
#else
using plain_line::ClearLine;
using plain_line::FinishLine;
using plain_line::PlaceTerminatedText;
using plain_line::PlaceText;
using plain_line::StoreStamp;
#endif
