#ifndef QV_IMAGE_CIMAGEFILE_H
#define QV_IMAGE_CIMAGEFILE_H

#include <cstddef>

// The file object through which the image record's decoders read their data:
// a small stream interface with the same meaning as the C library's stream
// functions, so that a picture can come from a disk file or from memory.
class CImageFile
{
public:
    CImageFile() = default;
    CImageFile(const CImageFile&) = delete;
    CImageFile& operator=(const CImageFile&) = delete;
    virtual ~CImageFile() = default;

    /// Closes the underlying stream; returns success.
    virtual bool Close() = 0;
    /// Reads up to count items of size bytes; returns the number of whole items read.
    virtual std::size_t Read(void* buffer, std::size_t size, std::size_t count) = 0;
    /// Writes count items of size bytes; returns the number of whole items written.
    virtual std::size_t Write(const void* buffer, std::size_t size, std::size_t count) = 0;
    /// Moves the position (origin SEEK_SET, SEEK_CUR or SEEK_END); returns success.
    virtual bool Seek(long offset, int origin) = 0;
    /// The current position, or -1 on failure.
    virtual long Tell() = 0;
    /// The size of the whole file in bytes, or -1 when it cannot be told.
    virtual long Size() = 0;
    virtual bool Flush() = 0;
    /// True once a read has run into the end of the data.
    virtual bool Eof() = 0;
    /// True when the stream is in an error state.
    virtual bool Error() = 0;
    /// Writes one byte; returns it, or EOF on failure.
    virtual int PutC(unsigned char c) = 0;
    /// Reads one byte; returns it, or EOF at the end of the data.
    virtual int GetC() = 0;
};

#endif
