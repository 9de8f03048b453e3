#ifndef QV_IMAGE_CIMAGEMEMFILE_H
#define QV_IMAGE_CIMAGEMEMFILE_H

#include "image/cimagefile.h"

#include <vector>

/// The file object over a block of memory that it holds and grows on writes.
class CImageMemFile : public CImageFile
{
public:
    CImageMemFile() = default;
    /// Over a copy of size bytes at data, positioned at the start.
    CImageMemFile(const void* data, std::size_t size);

    /// The bytes held.
    const std::vector<unsigned char>& Data() const { return m_data; }

    bool Close() override;
    std::size_t Read(void* buffer, std::size_t size, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t size, std::size_t count) override;
    bool Seek(long offset, int origin) override;
    long Tell() override;
    long Size() override;
    bool Flush() override;
    bool Eof() override;
    bool Error() override;
    int PutC(unsigned char c) override;
    int GetC() override;

private:
    std::vector<unsigned char> m_data;
    std::size_t m_position = 0;
    bool m_eof = false;
};

#endif
