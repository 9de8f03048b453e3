// libFuzzer target: arbitrary bytes through the image record's format
// detection, as a picture file would reach it. A decoded picture is read back
// through GetPixelRgb, so that a bitmap that does not match its header shows
// up under AddressSanitizer.

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
        // Every pixel of small pictures; for large ones (which the fuzzer finds easily: a few
        // bytes can declare them) every row's ends and a sparse grid, to keep the runs fast.
        const DWORD width = image.GetWidth();
        const DWORD height = image.GetHeight();
        const bool small = static_cast<std::uint64_t>(width) * height <= 1000000U;
        const DWORD step = small ? 1 : 61;
        unsigned sum = 0;
        for (DWORD y = 0; y < height; ++y) {
            const DWORD rowStep = small || y + 1 == height || y % step == 0 ? step : width;
            for (DWORD x = 0; x < width; x += rowStep) {
                const qvdib::RGBQUAD c =
                    image.GetPixelRgb(static_cast<long>(x), static_cast<long>(y));
                sum += c.rgbBlue + c.rgbGreen + c.rgbRed;
            }
            const qvdib::RGBQUAD last =
                image.GetPixelRgb(static_cast<long>(width) - 1, static_cast<long>(y));
            sum += last.rgbBlue;
        }
        // Keep the reads from being optimised away.
        volatile unsigned sink = sum;
        (void)sink;
    }
    return 0;
}
