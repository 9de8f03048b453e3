#ifndef QV_IMAGE_CIMAGEIOFILE_H
#define QV_IMAGE_CIMAGEIOFILE_H

#include "image/cimagefile.h"

#include <cstdio>

/// The file object over a C standard-library stream.
class CImageIOFile : public CImageFile
{
public:
    /// Without a stream; Open gives it one.
    CImageIOFile() = default;
    /// Over a stream that is already open; the caller keeps it and closes it.
    explicit CImageIOFile(std::FILE* stream);
    /// Closes the stream if this object opened it.
    ~CImageIOFile() override;

    /// Opens a file with a C library mode ("rb", "wb", ...); returns success.
    bool Open(const char* filename, const char* mode);

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
    /// Closes the stream if this object opened it, and forgets it.
    bool CloseStream();

    std::FILE* m_stream = nullptr;
    bool m_ownsStream = false;
};

#endif
