// Builds the stand-in's database files in memory and writes each with a few
// large writes, so that a million records take about a second.
#include "standin/database_writer.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>

#include "standin/database_format.h"

using namespace standin_db;

namespace {

struct FileCloser {
    // The close that counts is checked where the file is written in full.
    void operator()(std::FILE* file) const { (void)std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// An empty part is not handed to fwrite: its data may be a null pointer,
// which fwrite must not be given even for zero bytes.
bool WritePart(std::FILE* file, std::string_view part)
{
    return part.empty() || std::fwrite(part.data(), 1, part.size(), file) == part.size();
}

// Writes the 16-byte header and the two parts of the body. The close is
// checked too, since a full disk often shows only there.
bool WriteDatabase(const std::string& path, const char (&magic)[kMagicSize], std::int32_t count,
                   std::int32_t layout, std::string_view first, std::string_view second)
{
    std::uint8_t header[kHeaderSize];
    std::memcpy(header, magic, kMagicSize);
    StoreUint32Le(header + kCountOffset, static_cast<std::uint32_t>(count));
    StoreUint32Le(header + kLayoutOffset, static_cast<std::uint32_t>(layout));
    FilePtr file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return false;
    }
    const bool written = std::fwrite(header, 1, sizeof header, file.get()) == sizeof header &&
                         WritePart(file.get(), first) && WritePart(file.get(), second);
    return std::fclose(file.release()) == 0 && written;
}

std::string_view Bytes(const std::vector<std::uint8_t>& bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

bool BuildVersion4RecordImage(const Version4RecordTexts& texts, Version4RecordImage& image)
{
    image.fill(0);
    for (const Version4Place& place : kVersion4Places) {
        const std::string& text = texts.*place.text;
        if (text.size() >= static_cast<std::size_t>(place.room)) {
            return false;
        }
        std::memcpy(image.data() + place.offset, text.data(), text.size());
    }
    return true;
}

bool FitsVersion5Record(const Version5RecordTexts& texts)
{
    for (int i = 0; i < kVersion5CopiedTexts; ++i) {
        if ((texts.*kVersion5CopiedMembers[i]).size() >
            static_cast<std::size_t>(kVersion5CopiedMaxLengths[i])) {
            return false;
        }
    }
    return true;
}

void Version4DatabaseBuilder::Reserve(std::size_t records)
{
    m_records.reserve(records * kVersion4RecordSize);
}

void Version4DatabaseBuilder::Add(const Version4RecordImage& image)
{
    m_records.insert(m_records.end(), image.begin(), image.end());
    ++m_count;
}

bool Version4DatabaseBuilder::Write(const std::string& path) const
{
    return WriteDatabase(path, kVersion4Magic, m_count, kVersion4RecordSize, Bytes(m_records), {});
}

// The pool starts with the empty text, which every empty text of every
// record shares.
Version5DatabaseBuilder::Version5DatabaseBuilder() : m_pool(1, '\0') {}

void Version5DatabaseBuilder::Reserve(std::size_t records)
{
    m_index.reserve(records * kVersion5IndexEntrySize);
}

bool Version5DatabaseBuilder::Add(const Version5RecordTexts& texts)
{
    const std::string* all[kVersion5TextsPerRecord] = {
        &texts.leading,      &texts.stamp,        &texts.code,         &texts.text44,
        &texts.text51,       &texts.text57,       &texts.addressed[0], &texts.addressed[1],
        &texts.addressed[2], &texts.addressed[3], &texts.addressed[4], &texts.addressed[5],
        &texts.addressed[6]};
    std::size_t added = 0;
    for (const std::string* text : all) {
        added += text->size() + 1;
    }
    // Pool offsets are 32-bit; the count is a signed 32-bit header field.
    if (!FitsVersion5Record(texts) ||
        m_pool.size() + added > std::numeric_limits<std::uint32_t>::max() ||
        m_count == std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    for (const std::string* text : all) {
        AddText(*text);
    }
    ++m_count;
    return true;
}

void Version5DatabaseBuilder::AddText(const std::string& text)
{
    std::uint32_t offset = 0;
    if (!text.empty()) {
        offset = static_cast<std::uint32_t>(m_pool.size());
        m_pool.append(text.data(), text.size() + 1);
    }
    std::uint8_t bytes[4];
    StoreUint32Le(bytes, offset);
    m_index.insert(m_index.end(), bytes, bytes + 4);
}

bool Version5DatabaseBuilder::Write(const std::string& path) const
{
    return WriteDatabase(path, kVersion5Magic, m_count, kVersion5TextsPerRecord, Bytes(m_index),
                         m_pool);
}

bool WriteVersion4Database(const std::string& path, const std::vector<Version4RecordImage>& records)
{
    Version4DatabaseBuilder builder;
    for (const Version4RecordImage& image : records) {
        builder.Add(image);
    }
    return builder.Write(path);
}

bool WriteVersion5Database(const std::string& path, const std::vector<Version5RecordTexts>& records)
{
    Version5DatabaseBuilder builder;
    for (const Version5RecordTexts& texts : records) {
        if (!builder.Add(texts)) {
            return false;
        }
    }
    return builder.Write(path);
}
