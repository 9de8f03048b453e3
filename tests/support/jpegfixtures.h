#ifndef QV_TESTS_SUPPORT_JPEGFIXTURES_H
#define QV_TESTS_SUPPORT_JPEGFIXTURES_H

#include <string>
#include <vector>

// Picture files for tests, fuzz seeds and benchmarks, made on the spot with libjpeg from
// deterministic patterns, and libjpeg's own decode of JPEG data to compare decoders with.

using ByteVector = std::vector<unsigned char>;

enum class JpegKind
{
    COLOUR,    ///< three components, stored as YCbCr
    GREY,      ///< one component
    CMYK_ADOBE ///< four components, inverted as Adobe applications write them
};

struct JpegFixtureOptions
{
    int width = 640;
    int height = 480;
    JpegKind kind = JpegKind::COLOUR;
    bool progressive = false;
    int restartRows = 0; ///< restart marker every this many MCU rows (0: none)
    int densityUnit = 1; ///< JFIF: 0 aspect ratio only, 1 dots per inch, 2 dots per cm
    int xDensity = 72;
    int yDensity = 72;
};

/// A JPEG of gradients, hard edges and noise, so that every row and column differs.
ByteVector MakeJpeg(const JpegFixtureOptions& options);
/// A small, valid JPEG whose frame header claims width x height (up to 65535 each).
ByteVector MakeJpegDeclaringSize(int width, int height, bool progressive = false,
                                 JpegKind kind = JpegKind::COLOUR);
/// count bytes from a fixed pseudo-random sequence.
ByteVector RandomBytes(std::size_t count, unsigned seed);

/// libjpeg's decode with default settings: rows top first, components as libjpeg gives them.
struct ReferenceDecode
{
    bool ok = false;
    int width = 0;
    int height = 0;
    int components = 0;
    ByteVector samples;
};
ReferenceDecode DecodeWithLibjpeg(const ByteVector& data);

bool WriteBytes(const std::string& path, const ByteVector& bytes);
/// Writes picture seeds (JPEG variants, truncated and foreign data) into an existing directory;
/// returns the number of files written, or -1 on failure.
int WriteImageSeedCorpus(const std::string& directory);

/// A fresh temporary directory, removed with its files when the object goes.
class FixtureDirectory
{
public:
    FixtureDirectory();
    ~FixtureDirectory();
    FixtureDirectory(const FixtureDirectory&) = delete;
    FixtureDirectory& operator=(const FixtureDirectory&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

#endif
