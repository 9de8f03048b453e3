// The record's decoders for the formats the game never loads: BMP, icon, GIF,
// WBMP and Windows metafile. Each recognises its own signature so that format
// detection can tell the formats apart, and refuses all data: data that is
// not its own with a "Not a ..." text, and its own with a text saying that the
// format cannot be read. None of them accepts data it cannot decode.

#include "image/cimagefile.h"
#include "image/cimagerecord.h"

#include <cstring>
#include <string>

namespace {

/// Reads up to size bytes from the current position; returns how many were read.
std::size_t ReadSignature(CImageFile& file, BYTE* buffer, std::size_t size)
{
    std::memset(buffer, 0, size);
    return file.Read(buffer, 1, size);
}

WORD LittleEndian16(const BYTE* bytes)
{
    return static_cast<WORD>(bytes[0] | (bytes[1] << 8));
}

DWORD LittleEndian32(const BYTE* bytes)
{
    return static_cast<DWORD>(bytes[0]) | (static_cast<DWORD>(bytes[1]) << 8) |
           (static_cast<DWORD>(bytes[2]) << 16) | (static_cast<DWORD>(bytes[3]) << 24);
}

} // namespace

bool CImageRecord::RefuseFormat(bool isMine, const char* notMine, const char* format)
{
    SetLastError(isMine ? (std::string(format) + " cannot be read by this program").c_str()
                        : notMine);
    return false;
}

bool CImageRecord::DecodeBmp(CImageFile& file)
{
    BYTE signature[2];
    const bool mine = ReadSignature(file, signature, sizeof(signature)) == sizeof(signature) &&
                      signature[0] == 'B' && signature[1] == 'M';
    return RefuseFormat(mine, "Not a BMP", "BMP pictures");
}

bool CImageRecord::DecodeIco(CImageFile& file)
{
    // Reserved word 0, type 1 (icon) or 2 (cursor), at least one image.
    BYTE header[6];
    const bool mine = ReadSignature(file, header, sizeof(header)) == sizeof(header) &&
                      LittleEndian16(header) == 0 &&
                      (LittleEndian16(header + 2) == 1 || LittleEndian16(header + 2) == 2) &&
                      LittleEndian16(header + 4) != 0;
    return RefuseFormat(mine, "Not an icon", "Icon pictures");
}

bool CImageRecord::DecodeGif(CImageFile& file)
{
    BYTE signature[6];
    const bool mine =
        ReadSignature(file, signature, sizeof(signature)) == sizeof(signature) &&
        (std::memcmp(signature, "GIF87a", 6) == 0 || std::memcmp(signature, "GIF89a", 6) == 0);
    return RefuseFormat(mine, "Not a GIF", "GIF pictures");
}

bool CImageRecord::DecodeWbmp(CImageFile& file)
{
    // Type 0 (the only one defined) and a fixed header byte of 0.
    BYTE header[2];
    const bool mine = ReadSignature(file, header, sizeof(header)) == sizeof(header) &&
                      header[0] == 0 && header[1] == 0;
    return RefuseFormat(mine, "Not a WBMP", "WBMP pictures");
}

bool CImageRecord::DecodeWmf(CImageFile& file)
{
    // Either the placeable key 0x9AC6CDD7, or a plain header: type 1 (memory) or 2 (disk)
    // followed by a header size of 9 words.
    BYTE header[4];
    const bool complete = ReadSignature(file, header, sizeof(header)) == sizeof(header);
    const WORD type = LittleEndian16(header);
    const bool mine = complete && (LittleEndian32(header) == 0x9AC6CDD7U ||
                                   ((type == 1 || type == 2) && LittleEndian16(header + 2) == 9));
    return RefuseFormat(mine, "Not a Windows metafile", "Windows metafiles");
}
