#include "image/cimageiofile.h"

CImageIOFile::CImageIOFile(std::FILE* stream) : m_stream(stream) {}

CImageIOFile::~CImageIOFile()
{
    CloseStream();
}

bool CImageIOFile::Open(const char* filename, const char* mode)
{
    CloseStream();
    if (filename == nullptr || mode == nullptr) {
        return false;
    }
    m_stream = std::fopen(filename, mode);
    m_ownsStream = m_stream != nullptr;
    return m_stream != nullptr;
}

bool CImageIOFile::Close()
{
    return CloseStream();
}

bool CImageIOFile::CloseStream()
{
    bool ok = true;
    if (m_stream != nullptr && m_ownsStream) {
        ok = std::fclose(m_stream) == 0;
    }
    m_stream = nullptr;
    m_ownsStream = false;
    return ok;
}

std::size_t CImageIOFile::Read(void* buffer, std::size_t size, std::size_t count)
{
    if (m_stream == nullptr || buffer == nullptr) {
        return 0;
    }
    return std::fread(buffer, size, count, m_stream);
}

std::size_t CImageIOFile::Write(const void* buffer, std::size_t size, std::size_t count)
{
    if (m_stream == nullptr || buffer == nullptr) {
        return 0;
    }
    return std::fwrite(buffer, size, count, m_stream);
}

bool CImageIOFile::Seek(long offset, int origin)
{
    return m_stream != nullptr && std::fseek(m_stream, offset, origin) == 0;
}

long CImageIOFile::Tell()
{
    return m_stream != nullptr ? std::ftell(m_stream) : -1;
}

long CImageIOFile::Size()
{
    if (m_stream == nullptr) {
        return -1;
    }
    const long position = std::ftell(m_stream);
    if (position < 0 || std::fseek(m_stream, 0, SEEK_END) != 0) {
        return -1;
    }
    const long size = std::ftell(m_stream);
    std::fseek(m_stream, position, SEEK_SET);
    return size;
}

bool CImageIOFile::Flush()
{
    return m_stream != nullptr && std::fflush(m_stream) == 0;
}

bool CImageIOFile::Eof()
{
    return m_stream == nullptr || std::feof(m_stream) != 0;
}

bool CImageIOFile::Error()
{
    return m_stream == nullptr || std::ferror(m_stream) != 0;
}

int CImageIOFile::PutC(unsigned char c)
{
    return m_stream != nullptr ? std::fputc(c, m_stream) : EOF;
}

int CImageIOFile::GetC()
{
    return m_stream != nullptr ? std::fgetc(m_stream) : EOF;
}
