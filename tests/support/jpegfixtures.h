#ifndef QV_TESTS_SUPPORT_JPEGFIXTURES_H
#define QV_TESTS_SUPPORT_JPEGFIXTURES_H

#include <string>
#include <vector>

// Picture files for tests, fuzz seeds and benchmarks, made on the spot with
// libjpeg's compressor from deterministic patterns, and an independent decode
// of JPEG data straight through libjpeg's API to compare decoders with.

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
    int quality = 90;
    bool progressive = false;
    /// Restart marker every this many MCU rows (0: none).
    int restartRows = 0;
    /// JFIF density: unit 0 (aspect ratio only), 1 (dots per inch) or 2 (dots per cm).
    int densityUnit = 1;
    int xDensity = 72;
    int yDensity = 72;
};

/// The samples the fixture is compressed from: rows top first, components per pixel as the
/// kind has them (RGB, grey, or inverted CMYK). A mix of gradients, edges and noise.
ByteVector FixtureSamples(const JpegFixtureOptions& options);

/// A JPEG file made from FixtureSamples(options).
ByteVector MakeJpeg(const JpegFixtureOptions& options);

/// A small, valid JPEG whose frame header claims width x height (up to 65535 each).
ByteVector MakeJpegDeclaringSize(int width, int height, bool progressive = false,
                                 JpegKind kind = JpegKind::COLOUR);

/// count bytes from a fixed pseudo-random sequence.
ByteVector RandomBytes(std::size_t count, unsigned seed);

/// A JPEG decoded by libjpeg's own API with its default settings: rows top first, samples
/// as libjpeg delivers them. ok is false when libjpeg refused the data (message says why).
struct ReferenceDecode
{
    bool ok = false;
    std::string message;
    int width = 0;
    int height = 0;
    int components = 0;
    ByteVector samples;
};
ReferenceDecode DecodeWithLibjpeg(const ByteVector& data);

/// Writes bytes to a file; returns success.
bool WriteBytes(const std::string& path, const ByteVector& bytes);

/// Writes a small corpus of picture files (JPEG variants, truncated and foreign data) into an
/// existing directory; returns the number of files written, or -1 on failure.
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
    /// Path of a file inside the directory.
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

#endif
