// libFuzzer target: arbitrary bytes through the image record's format
// detection, as a picture file would reach it. A decoded picture is read back
// pixel by pixel, so that a bitmap that does not match its header shows up
// under AddressSanitizer.

#include "image/cimagememfile.h"
#include "image/cimagerecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CImageMemFile file(data, size);
    CImageRecord image;
    const bool loaded = image.Decode(file, IMAGE_FORMAT_UNKNOWN);

    // The last-error text always ends inside its field.
    if (std::memchr(image.GetLastError(), '\0', sizeof(image.GetInfo().szLastError)) == nullptr) {
        std::abort();
    }
    if (loaded != image.IsValid()) {
        std::abort();
    }
    if (loaded) {
        unsigned sum = 0;
        for (DWORD y = 0; y < image.GetHeight(); ++y) {
            for (DWORD x = 0; x < image.GetWidth(); ++x) {
                const RGBQUAD c = image.GetPixelRgb(static_cast<long>(x), static_cast<long>(y));
                sum += c.rgbBlue + c.rgbGreen + c.rgbRed;
            }
        }
        // Keep the reads from being optimised away.
        volatile unsigned sink = sum;
        (void)sink;
    }
    return 0;
}
