// The extraction's buffered output.
#include "extract/extraction_output.h"

#include <cstring>

ExtractionOutput::~ExtractionOutput()
{
    Close();
}

bool ExtractionOutput::Create(const char* name)
{
    Close();
    if (!m_file.Create(name)) {
        return false;
    }
    // The writes are gathered here and handed to the file a whole buffer at a
    // time: the runtime's write takes a lock and copies for every call, which
    // costs more than building a line.
    if (!m_buffer) {
        // The room lies behind the buffer's kBufferSize bytes whenever they
        // are nearly full: the commits keep them less than full.
        m_buffer = std::make_unique_for_overwrite<char[]>(kBufferSize + kRoomBytes);
    }
    return true;
}

bool ExtractionOutput::WriteFullBuffer()
{
    const std::size_t behind = m_used - kBufferSize;
    if (!m_file.Write(m_buffer.get(), kBufferSize)) {
        m_used = 0;
        return false;
    }
    std::memcpy(m_buffer.get(), m_buffer.get() + kBufferSize, behind);
    m_used = behind;
    return true;
}

bool ExtractionOutput::Close()
{
    // A failed write of the rest shows in the close's result.
    (void)m_file.Write(m_buffer.get(), m_used);
    m_used = 0;
    return m_file.Close();
}
