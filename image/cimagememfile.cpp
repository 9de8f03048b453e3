#include "image/cimagememfile.h"

#include <cstdio>
#include <cstring>
#include <limits>

CImageMemFile::CImageMemFile(const void* data, std::size_t size)
{
    if (data != nullptr && size > 0) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        m_data.assign(bytes, bytes + size);
    }
}

bool CImageMemFile::Close()
{
    m_position = 0;
    m_eof = false;
    return true;
}

std::size_t CImageMemFile::Read(void* buffer, std::size_t size, std::size_t count)
{
    if (buffer == nullptr || size == 0 || count == 0) {
        return 0;
    }
    const std::size_t available = m_position < m_data.size() ? m_data.size() - m_position : 0;
    std::size_t items = available / size;
    if (items >= count) {
        items = count;
    } else {
        m_eof = true;
    }
    if (items > 0) {
        std::memcpy(buffer, m_data.data() + m_position, items * size);
        m_position += items * size;
    }
    return items;
}

std::size_t CImageMemFile::Write(const void* buffer, std::size_t size, std::size_t count)
{
    if (buffer == nullptr || size == 0 || count == 0 ||
        count > std::numeric_limits<std::size_t>::max() / size) {
        return 0;
    }
    const std::size_t bytes = size * count;
    if (m_position + bytes > m_data.size()) {
        m_data.resize(m_position + bytes);
    }
    std::memcpy(m_data.data() + m_position, buffer, bytes);
    m_position += bytes;
    return count;
}

bool CImageMemFile::Seek(long offset, int origin)
{
    long base = 0;
    if (origin == SEEK_CUR) {
        base = static_cast<long>(m_position);
    } else if (origin == SEEK_END) {
        base = static_cast<long>(m_data.size());
    } else if (origin != SEEK_SET) {
        return false;
    }
    if ((offset < 0 && base < -offset) ||
        (offset > 0 && base > std::numeric_limits<long>::max() - offset)) {
        return false;
    }
    m_position = static_cast<std::size_t>(base + offset);
    m_eof = false;
    return true;
}

long CImageMemFile::Tell()
{
    return static_cast<long>(m_position);
}

long CImageMemFile::Size()
{
    return static_cast<long>(m_data.size());
}

bool CImageMemFile::Flush()
{
    return true;
}

bool CImageMemFile::Eof()
{
    return m_eof;
}

bool CImageMemFile::Error()
{
    return false;
}

int CImageMemFile::PutC(unsigned char c)
{
    return Write(&c, 1, 1) == 1 ? c : EOF;
}

int CImageMemFile::GetC()
{
    unsigned char c = 0;
    return Read(&c, 1, 1) == 1 ? c : EOF;
}
