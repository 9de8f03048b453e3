// Writes the fuzzer's seed corpus (small JPEG variants, a truncated JPEG, a
// JPEG declaring a huge size, and other formats' signatures) into a folder.
// Usage: makeseeds <existing folder>

#include "support/jpegfixtures.h"

#include <cstdio>
#include <iterator>
#include <string>
#include <utility>

namespace {

/// Writes the seeds into an existing folder; returns how many, or -1 on failure.
int WriteImageSeedCorpus(const std::string& directory)
{
    const ByteVector colour = MakeJpeg({37, 23});
    const std::pair<const char*, ByteVector> seeds[] = {
        {"colour.jpg", colour},
        {"grey.jpg", MakeJpeg({37, 23, JpegKind::GREY})},
        {"cmyk.jpg", MakeJpeg({37, 23, JpegKind::CMYK_ADOBE})},
        {"progressive.jpg", MakeJpeg({37, 23, JpegKind::COLOUR, true})},
        {"restarts.jpg", MakeJpeg({37, 23, JpegKind::COLOUR, false, 1, 2})},
        {"narrow.jpg", MakeJpeg({3, 23})},
        {"truncated.jpg", ByteVector(colour.begin(), colour.begin() + colour.size() / 2)},
        {"huge.jpg", MakeJpegDeclaringSize(65000, 65000)},
        {"bmp.bin", ByteVector{'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0}},
        {"gif.bin", ByteVector{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}},
        {"random.bin", RandomBytes(300, 7)},
    };
    for (const auto& [name, bytes] : seeds) {
        if (bytes.empty() || !WriteBytes(directory + "/" + name, bytes)) {
            return -1;
        }
    }
    return static_cast<int>(std::size(seeds));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeseeds <folder>\n");
        return 2;
    }
    const int written = WriteImageSeedCorpus(argv[1]);
    if (written < 0) {
        std::fprintf(stderr, "makeseeds: cannot write the seeds into %s\n", argv[1]);
        return 1;
    }
    std::printf("makeseeds: %d seeds written to %s\n", written, argv[1]);
    return 0;
}
