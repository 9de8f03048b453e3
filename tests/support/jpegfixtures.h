#ifndef QV_TESTS_SUPPORT_JPEGFIXTURES_H
#define QV_TESTS_SUPPORT_JPEGFIXTURES_H
#include <string>
#include <vector>

using ByteVector = std::vector<unsigned char>;
enum class JpegKind
{
    COLOUR,
    GREY,
    CMYK_ADOBE
};
struct JpegFixtureOptions
{
    int width = 640, height = 480;
    JpegKind kind = JpegKind::COLOUR;
    bool progressive = false;
    int restartRows = 0; ///< restart marker every this many MCU rows (0: none)
    int densityUnit = 1; ///< JFIF: 0 aspect ratio only, 1 dots per inch, 2 dots per cm
    int xDensity = 72, yDensity = 72;
};
/// Gradients, hard edges and noise, so that every row and column differs.
ByteVector MakeJpeg(const JpegFixtureOptions& options);
/// A small, valid JPEG whose frame header claims width x height (up to 65535 each).
ByteVector MakeJpegDeclaringSize(int width, int height, bool progressive = false,
                                 JpegKind kind = JpegKind::COLOUR);
ByteVector RandomBytes(std::size_t count, unsigned seed);
/// libjpeg's default decode: rows top first, components as libjpeg gives them.
struct ReferenceDecode
{
    int width = 0, height = 0, components = 0;
    ByteVector samples;
};
ReferenceDecode DecodeWithLibjpeg(const ByteVector& data);
bool WriteBytes(const std::string& path, const ByteVector& bytes);
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
