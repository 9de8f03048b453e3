// Writes the fuzzer's seed corpus (small JPEG variants, a truncated JPEG, a
// JPEG declaring a huge size, and other formats' signatures) into a folder.
// Usage: makeseeds <existing folder>

#include "support/jpegfixtures.h"

#include <cstdio>

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
