// Draws the game's two pictures and writes them as JPEG files:
//   space_image.jpg          the playing field, a deep-space sky;
//   space_image_welcome.jpg  the same sky with the title and a prompt line.
// With --icons it draws the desktop icon instead, the ship over the sky, as
// quorvadellix-48.png, quorvadellix-128.png and quorvadellix-256.png (the
// Linux desktop), quorvadellix-192.png and quorvadellix-512.png (the web
// page's app manifest), quorvadellix.ico at 16, 32, 48 and 256 pixels (the Windows
// program's resources) and windowicon.h, the 48-pixel icon as RGBA bytes that
// the game compiles in for its graphics window.
// Usage: makepictures <output folder>
//        makepictures --icons <output folder>
//
// The sky is kept dark everywhere (the nebula stays well below the grey of
// the asteroids' outlines) so that the white ship and the grey asteroids
// stand out on any part of it. Everything is computed from fixed seeds, so
// every build writes the same bytes.

#include "util/bitmapfont.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr int PICTURE_WIDTH = 640;
constexpr int PICTURE_HEIGHT = 480;
constexpr int JPEG_QUALITY = 90;

/// A picture being drawn: floating-point red, green, blue in 0..255, rows top first.
struct Canvas
{
    int width;
    int height;
    std::vector<float> rgb;

    Canvas(int w, int h) : width(w), height(h), rgb(static_cast<std::size_t>(w) * h * 3, 0.0F) {}

    float* At(int x, int y) { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }

    /// Adds light (clamped later), weighted by coverage 0..1.
    void Add(int x, int y, float r, float g, float b, float coverage = 1.0F)
    {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return;
        }
        float* p = At(x, y);
        p[0] += r * coverage;
        p[1] += g * coverage;
        p[2] += b * coverage;
    }

    /// Paints over, weighted by coverage 0..1.
    void Blend(int x, int y, float r, float g, float b, float coverage)
    {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return;
        }
        float* p = At(x, y);
        p[0] += (r - p[0]) * coverage;
        p[1] += (g - p[1]) * coverage;
        p[2] += (b - p[2]) * coverage;
    }
};

/// A small xorshift generator: fixed seeds give the same sky on every build.
class SkyRandom
{
public:
    explicit SkyRandom(std::uint32_t seed) : m_state(seed != 0 ? seed : 1U) {}
    std::uint32_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    /// Uniform in [0, 1).
    double Unit() { return (Next() >> 8) / 16777216.0; }

private:
    std::uint32_t m_state;
};

/// Integer hash of a lattice point, for value noise.
double LatticeValue(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = seed ^ (static_cast<std::uint32_t>(x) * 374761393U) ^
                      (static_cast<std::uint32_t>(y) * 668265263U);
    h = (h ^ (h >> 13)) * 1274126177U;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777215.0;
}

double Smooth(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

/// Smoothly interpolated value noise in 0..1.
double ValueNoise(double x, double y, std::uint32_t seed)
{
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const double tx = Smooth(x - x0);
    const double ty = Smooth(y - y0);
    const double top = LatticeValue(x0, y0, seed) +
                       (LatticeValue(x0 + 1, y0, seed) - LatticeValue(x0, y0, seed)) * tx;
    const double bottom =
        LatticeValue(x0, y0 + 1, seed) +
        (LatticeValue(x0 + 1, y0 + 1, seed) - LatticeValue(x0, y0 + 1, seed)) * tx;
    return top + (bottom - top) * ty;
}

/// Fractal noise: octaves of value noise, each twice as fine and half as strong.
double Fractal(double x, double y, std::uint32_t seed, int octaves)
{
    double sum = 0.0;
    double amplitude = 1.0;
    double total = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum += ValueNoise(x, y, seed + 101U * i) * amplitude;
        total += amplitude;
        x *= 2.0;
        y *= 2.0;
        amplitude *= 0.5;
    }
    return sum / total;
}

/// The dark backdrop and the nebula.
void DrawBackdropAndNebula(Canvas& canvas)
{
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            const double u = static_cast<double>(x) / canvas.width;
            const double v = static_cast<double>(y) / canvas.height;
            // Deep blue-black, a shade lighter towards the lower right.
            float* p = canvas.At(x, y);
            p[0] = static_cast<float>(2.0 + 4.0 * u * v);
            p[1] = static_cast<float>(3.0 + 4.0 * u * v);
            p[2] = static_cast<float>(10.0 + 10.0 * (0.5 * u + 0.5 * v));

            // A cloud lying along a diagonal band, frayed by fractal noise.
            const double band = std::exp(-std::pow((v - 0.85 * u - 0.12) / 0.28, 2.0));
            const double cloud = Fractal(u * 5.0, v * 3.75, 17U, 5);
            const double wisps = Fractal(u * 11.0 + 3.0, v * 8.25 + 7.0, 911U, 4);
            double density = band * std::max(0.0, cloud - 0.38) * 1.9;
            density = density * (0.55 + 0.75 * wisps);
            density = std::min(density, 1.0);
            // Its colour drifts between violet and teal.
            const double hue = Fractal(u * 2.5 + 11.0, v * 1.9, 4242U, 3);
            const double t = std::clamp((hue - 0.35) * 3.0, 0.0, 1.0);
            const double r = 62.0 * (1.0 - t) + 10.0 * t;
            const double g = 18.0 * (1.0 - t) + 44.0 * t;
            const double b = 70.0 * (1.0 - t) + 58.0 * t;
            p[0] += static_cast<float>(r * density);
            p[1] += static_cast<float>(g * density);
            p[2] += static_cast<float>(b * density);
        }
    }
}

/// A round star with a soft edge: peak brightness and radius in pixels.
void DrawStar(Canvas& canvas, double cx, double cy, double radius, float r, float g, float b)
{
    const int reach = static_cast<int>(std::ceil(radius * 3.0)) + 1;
    for (int y = static_cast<int>(cy) - reach; y <= static_cast<int>(cy) + reach; ++y) {
        for (int x = static_cast<int>(cx) - reach; x <= static_cast<int>(cx) + reach; ++x) {
            const double dx = x + 0.5 - cx;
            const double dy = y + 0.5 - cy;
            const double fall = std::exp(-(dx * dx + dy * dy) / (2.0 * radius * radius));
            canvas.Add(x, y, r, g, b, static_cast<float>(fall));
        }
    }
}

/// Faint diffraction spikes for the few brightest stars.
void DrawSpikes(Canvas& canvas, double cx, double cy, int length, float level)
{
    for (int d = 2; d <= length; ++d) {
        const float fade = level * (1.0F - static_cast<float>(d) / (length + 1));
        for (const auto& [sx, sy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
            canvas.Add(static_cast<int>(cx) + sx * d, static_cast<int>(cy) + sy * d, fade, fade,
                       fade * 1.1F);
        }
    }
}

void DrawStars(Canvas& canvas)
{
    SkyRandom random(20240611U);
    // Star colours from cool blue-white through white to warm yellow.
    const float tints[][3] = {{0.80F, 0.88F, 1.00F},
                              {1.00F, 1.00F, 1.00F},
                              {1.00F, 0.95F, 0.82F},
                              {1.00F, 0.85F, 0.70F},
                              {0.75F, 0.82F, 1.00F}};
    struct Layer
    {
        int count;
        double minLevel;
        double maxLevel;
        double radius;
    };
    // Many faint stars, fewer brighter ones, a handful of bright ones.
    const Layer layers[] = {{1400, 25.0, 70.0, 0.45},
                            {260, 70.0, 140.0, 0.55},
                            {60, 140.0, 220.0, 0.7},
                            {9, 230.0, 255.0, 0.9}};
    for (const Layer& layer : layers) {
        for (int i = 0; i < layer.count; ++i) {
            const double x = random.Unit() * canvas.width;
            const double y = random.Unit() * canvas.height;
            const double level = layer.minLevel + random.Unit() * (layer.maxLevel - layer.minLevel);
            const float* tint = tints[random.Next() % 5];
            const auto peak = static_cast<float>(level);
            DrawStar(canvas, x, y, layer.radius, peak * tint[0], peak * tint[1], peak * tint[2]);
            if (layer.radius >= 0.9) {
                DrawSpikes(canvas, x, y, 6, 55.0F);
            }
        }
    }
}

/// Coverage of pixel (x, y) by text drawn with the bitmap font, each font pixel scale x scale
/// picture pixels, the text's top-left corner at (left, top). Sampled 4 x 4 times per pixel, so
/// that edges falling inside a pixel come out smooth.
double TextCoverage(const std::string& text, int left, int top, int scale, double x, double y)
{
    double covered = 0.0;
    for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) {
            const double px = (x + (sx + 0.5) / 4.0 - left) / scale;
            const double py = (y + (sy + 0.5) / 4.0 - top) / scale;
            if (px < 0 || py < 0 || py >= FONT_GLYPH_HEIGHT) {
                continue;
            }
            const auto index = static_cast<std::size_t>(px / (FONT_GLYPH_WIDTH + 1));
            if (index >= text.size()) {
                continue;
            }
            const double gx = px - static_cast<double>(index) * (FONT_GLYPH_WIDTH + 1);
            const int col = static_cast<int>(gx);
            const int row = static_cast<int>(py);
            if (col >= FONT_GLYPH_WIDTH) {
                continue;
            }
            if ((FontGlyphRow(text[index], row) >> (FONT_GLYPH_WIDTH - 1 - col)) & 1U) {
                covered += 1.0;
            }
        }
    }
    return covered / 16.0;
}

/// Width in picture pixels of text at a scale (no spacing after the last glyph).
int TextWidth(const std::string& text, int scale)
{
    return (static_cast<int>(text.size()) * (FONT_GLYPH_WIDTH + 1) - 1) * scale;
}

/// Text with a soft glow behind it and a top-to-bottom colour gradient.
void DrawGlowingText(Canvas& canvas, const std::string& text, int top, int scale,
                     const float topColour[3], const float bottomColour[3],
                     const float glowColour[3], int glowRadius)
{
    const int left = (canvas.width - TextWidth(text, scale)) / 2;
    const int height = FONT_GLYPH_HEIGHT * scale;
    const int x0 = std::max(0, left - glowRadius * 2);
    const int x1 = std::min(canvas.width, left + TextWidth(text, scale) + glowRadius * 2);
    const int y0 = std::max(0, top - glowRadius * 2);
    const int y1 = std::min(canvas.height, top + height + glowRadius * 2);
    const int w = x1 - x0;
    const int h = y1 - y0;

    std::vector<double> mask(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            mask[static_cast<std::size_t>(y) * w + x] =
                TextCoverage(text, left, top, scale, x0 + x, y0 + y);
        }
    }

    if (glowRadius > 0) {
        // Glow: the mask blurred by a box filter run twice in each direction.
        std::vector<double> glow = mask;
        std::vector<double> scratch(glow.size());
        for (int pass = 0; pass < 2; ++pass) {
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    double sum = 0.0;
                    for (int k = -glowRadius; k <= glowRadius; ++k) {
                        const int xx = std::clamp(x + k, 0, w - 1);
                        sum += glow[static_cast<std::size_t>(y) * w + xx];
                    }
                    scratch[static_cast<std::size_t>(y) * w + x] = sum / (2 * glowRadius + 1);
                }
            }
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    double sum = 0.0;
                    for (int k = -glowRadius; k <= glowRadius; ++k) {
                        const int yy = std::clamp(y + k, 0, h - 1);
                        sum += scratch[static_cast<std::size_t>(yy) * w + x];
                    }
                    glow[static_cast<std::size_t>(y) * w + x] = sum / (2 * glowRadius + 1);
                }
            }
        }
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const auto g = static_cast<float>(
                    std::min(1.0, glow[static_cast<std::size_t>(y) * w + x] * 2.2));
                canvas.Add(x0 + x, y0 + y, glowColour[0], glowColour[1], glowColour[2], g);
            }
        }
    }

    for (int y = 0; y < h; ++y) {
        const float t = std::clamp(static_cast<float>(y0 + y - top) / height, 0.0F, 1.0F);
        const float r = topColour[0] + (bottomColour[0] - topColour[0]) * t;
        const float g = topColour[1] + (bottomColour[1] - topColour[1]) * t;
        const float b = topColour[2] + (bottomColour[2] - topColour[2]) * t;
        for (int x = 0; x < w; ++x) {
            const auto c = static_cast<float>(mask[static_cast<std::size_t>(y) * w + x]);
            if (c > 0.0F) {
                canvas.Blend(x0 + x, y0 + y, r, g, b, c);
            }
        }
    }
}

Canvas DrawSky()
{
    Canvas canvas(PICTURE_WIDTH, PICTURE_HEIGHT);
    DrawBackdropAndNebula(canvas);
    DrawStars(canvas);
    return canvas;
}

void DrawWelcome(Canvas& canvas)
{
    // Darken the sky behind the title and the prompt a little, so the text reads cleanly.
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            const double dy1 = (y - 175.0) / 70.0;
            const double dy2 = (y - 330.0) / 30.0;
            const double shade = 1.0 - 0.55 * std::exp(-dy1 * dy1) - 0.5 * std::exp(-dy2 * dy2);
            float* p = canvas.At(x, y);
            for (int c = 0; c < 3; ++c) {
                p[c] *= static_cast<float>(shade);
            }
        }
    }

    const float titleTop[3] = {255.0F, 236.0F, 160.0F};
    const float titleBottom[3] = {255.0F, 140.0F, 40.0F};
    const float titleGlow[3] = {200.0F, 90.0F, 30.0F};
    DrawGlowingText(canvas, "QUORVADELLIX", 148, 8, titleTop, titleBottom, titleGlow, 6);

    const float subTop[3] = {170.0F, 220.0F, 255.0F};
    const float subBottom[3] = {120.0F, 180.0F, 240.0F};
    const float subGlow[3] = {30.0F, 70.0F, 120.0F};
    DrawGlowingText(canvas, "Dodge the asteroids for as long as you can", 252, 2, subTop, subBottom,
                    subGlow, 0);

    const float promptColour[3] = {255.0F, 255.0F, 255.0F};
    const float promptGlow[3] = {60.0F, 110.0F, 170.0F};
    DrawGlowingText(canvas, "Type your name in the terminal", 320, 3, promptColour, promptColour,
                    promptGlow, 3);
}

/// Writes the canvas as a JPEG file; returns success.
bool WriteJpeg(const Canvas& canvas, const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "makepictures: cannot write %s\n", path.c_str());
        return false;
    }
    // libjpeg's default error handling reports and exits, which is right for a build tool.
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(canvas.width);
    cinfo.image_height = static_cast<JDIMENSION>(canvas.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, JPEG_QUALITY, TRUE);
    // Full-resolution colour: chroma subsampling would smear the thin coloured stars.
    for (int i = 0; i < cinfo.num_components; ++i) {
        cinfo.comp_info[i].h_samp_factor = 1;
        cinfo.comp_info[i].v_samp_factor = 1;
    }
    cinfo.density_unit = 1;
    cinfo.X_density = 72;
    cinfo.Y_density = 72;
    jpeg_start_compress(&cinfo, TRUE);

    std::vector<JSAMPLE> row(static_cast<std::size_t>(canvas.width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const float* source =
            &canvas.rgb[static_cast<std::size_t>(cinfo.next_scanline) * canvas.width * 3];
        for (std::size_t i = 0; i < row.size(); ++i) {
            row[i] = static_cast<JSAMPLE>(std::lround(std::clamp(source[i], 0.0F, 255.0F)));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const bool ok = std::ferror(file) == 0;
    return std::fclose(file) == 0 && ok;
}

// Appends a 32-bit number, most significant byte first, as PNG wants it.
void PutBigEndian(std::string& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFFU);
    }
}

std::uint32_t Crc32(const std::string& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFU;
    for (const char byte : bytes) {
        crc ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320U & (0U - (crc & 1U)));
        }
    }
    return ~crc;
}

void PutChunk(std::string& out, const char* type, const std::string& data)
{
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::string body = type + data;
    out += body;
    PutBigEndian(out, Crc32(body));
}

bool WriteFile(const std::string& bytes, const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "makepictures: cannot write %s\n", path.c_str());
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

/// 8-bit RGBA rows (top first) as the bytes of a PNG file. The picture data
/// goes into uncompressed deflate blocks: icons are small, and this needs no
/// compression library.
std::string PngBytes(const std::vector<std::uint8_t>& rgba, int size)
{
    std::string raw;
    for (int y = 0; y < size; ++y) {
        raw += '\0'; // no row filter
        raw.append(reinterpret_cast<const char*>(&rgba[static_cast<std::size_t>(y) * size * 4]),
                   static_cast<std::size_t>(size) * 4);
    }
    std::string zlib = "\x78\x01";
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (const char byte : raw) {
        a = (a + static_cast<unsigned char>(byte)) % 65521U;
        b = (b + a) % 65521U;
    }
    for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const std::size_t length = std::min<std::size_t>(65535, raw.size() - at);
        zlib += static_cast<char>(at + length == raw.size() ? 1 : 0);
        for (const std::size_t half : {length, ~length}) {
            zlib += static_cast<char>(half & 0xFFU);
            zlib += static_cast<char>((half >> 8) & 0xFFU);
        }
        zlib.append(raw, at, length);
    }
    PutBigEndian(zlib, (b << 16) | a);

    std::string header;
    PutBigEndian(header, static_cast<std::uint32_t>(size));
    PutBigEndian(header, static_cast<std::uint32_t>(size));
    header += std::string("\x08\x06\x00\x00\x00", 5); // 8 bits, RGBA, no interlace
    std::string png = "\x89PNG\r\n\x1A\n";
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", "");
    return png;
}

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFFU);
    }
}

/// A Windows icon file holding one PNG image per size (the form Windows
/// reads since Vista). A size of 256 is written as 0, as the format wants.
std::string IcoBytes(const std::vector<std::string>& pngs, const std::vector<int>& sizes)
{
    std::string ico;
    PutLittleEndian(ico, 0, 2);
    PutLittleEndian(ico, 1, 2); // an icon, not a cursor
    PutLittleEndian(ico, static_cast<std::uint32_t>(pngs.size()), 2);
    std::size_t offset = 6 + 16 * pngs.size();
    for (std::size_t i = 0; i < pngs.size(); ++i) {
        const auto side = static_cast<std::uint32_t>(sizes[i] >= 256 ? 0 : sizes[i]);
        PutLittleEndian(ico, side, 1);
        PutLittleEndian(ico, side, 1);
        PutLittleEndian(ico, 0, 2);  // no palette, reserved
        PutLittleEndian(ico, 1, 2);  // planes
        PutLittleEndian(ico, 32, 2); // bits per pixel
        PutLittleEndian(ico, static_cast<std::uint32_t>(pngs[i].size()), 4);
        PutLittleEndian(ico, static_cast<std::uint32_t>(offset), 4);
        offset += pngs[i].size();
    }
    for (const std::string& png : pngs) {
        ico += png;
    }
    return ico;
}

/// The icon's RGBA bytes as a C++ header for the game's window.
std::string WindowIconHeader(const std::vector<std::uint8_t>& rgba, int size)
{
    std::string text = "// Drawn by tools/makepictures: the game's icon, " + std::to_string(size) +
                       " x " + std::to_string(size) + " pixels, RGBA rows top first.\n" +
                       "constexpr int WINDOW_ICON_SIZE = " + std::to_string(size) + ";\n" +
                       "constexpr unsigned char WINDOW_ICON_RGBA[] = {";
    for (std::size_t i = 0; i < rgba.size(); ++i) {
        text += (i % 16 == 0 ? "\n    " : " ") + std::to_string(rgba[i]) + ",";
    }
    return text + "\n};\n";
}

/// Distance from (px, py) to the segment from (ax, ay) to (bx, by).
double SegmentDistance(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax;
    const double dy = by - ay;
    const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

/// The icon: a square of the sky with rounded corners, and the game's ship
/// (an arrowhead notched at its centre, in its guard circle) heading up and
/// to the right, in white with a dark edge so it reads at any size.
std::vector<std::uint8_t> DrawIcon(const Canvas& sky, int size)
{
    // The sky's middle square, averaged down to the icon's pixels.
    const int side = std::min(sky.width, sky.height);
    const int left = (sky.width - side) / 2;
    const double step = static_cast<double>(side) / size;
    const double centre = size / 2.0;
    const double radius = size * 0.34;
    const double line = std::max(1.2, size / 24.0);
    std::vector<double> corners(8); // tip, rear left, centre, rear right
    const double pi = std::acos(-1.0);
    const double heading = pi / 4;
    const double angles[] = {heading, heading + 0.75 * pi, 0.0, heading - 0.75 * pi};
    for (int i = 0; i < 4; ++i) {
        const double r = i == 2 ? 0.0 : radius;
        corners[2 * i] = centre + r * std::cos(angles[i]);
        corners[2 * i + 1] = centre - r * std::sin(angles[i]);
    }
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float colour[3] = {0.0F, 0.0F, 0.0F};
            const int x0 = left + static_cast<int>(x * step);
            const int y0 = static_cast<int>(y * step);
            const int x1 = std::max(x0 + 1, left + static_cast<int>((x + 1) * step));
            const int y1 = std::max(y0 + 1, static_cast<int>((y + 1) * step));
            for (int sy = y0; sy < y1; ++sy) {
                for (int sx = x0; sx < x1; ++sx) {
                    for (int c = 0; c < 3; ++c) {
                        colour[c] +=
                            sky.rgb[(static_cast<std::size_t>(sy) * sky.width + sx) * 3 + c] /
                            static_cast<float>((x1 - x0) * (y1 - y0));
                    }
                }
            }
            // Distance to the nearest stroke: the circle and the four lines.
            const double px = x + 0.5;
            const double py = y + 0.5;
            double d = std::abs(std::hypot(px - centre, py - centre) - radius);
            for (int i = 0; i < 4; ++i) {
                const int j = (i + 1) % 4;
                d = std::min(d, SegmentDistance(px, py, corners[2 * i], corners[2 * i + 1],
                                                corners[2 * j], corners[2 * j + 1]));
            }
            const auto edge = static_cast<float>(std::clamp(line + 0.5 - d, 0.0, 1.0));
            const auto stroke = static_cast<float>(std::clamp(line / 2 + 0.5 - d, 0.0, 1.0));
            // Rounded corners, smoothed over one pixel.
            const double corner = size / 8.0;
            const double cx = std::clamp(px, corner, size - corner);
            const double cy = std::clamp(py, corner, size - corner);
            const double alpha = std::clamp(corner + 0.5 - std::hypot(px - cx, py - cy), 0.0, 1.0);
            std::uint8_t* out = &rgba[(static_cast<std::size_t>(y) * size + x) * 4];
            for (int c = 0; c < 3; ++c) {
                const float shade = colour[c] * (1.0F - edge) + 255.0F * stroke;
                out[c] = static_cast<std::uint8_t>(std::lround(std::clamp(shade, 0.0F, 255.0F)));
            }
            out[3] = static_cast<std::uint8_t>(std::lround(alpha * 255.0));
        }
    }
    return rgba;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--icons") {
        const Canvas sky = DrawSky();
        const std::string folder = argv[2];
        for (const int size : {48, 128, 192, 256, 512}) {
            const std::string path = folder + "/quorvadellix-" + std::to_string(size) + ".png";
            if (!WriteFile(PngBytes(DrawIcon(sky, size), size), path)) {
                return 1;
            }
        }
        const std::vector<int> icoSizes = {16, 32, 48, 256};
        std::vector<std::string> pngs;
        pngs.reserve(icoSizes.size());
        for (const int size : icoSizes) {
            pngs.push_back(PngBytes(DrawIcon(sky, size), size));
        }
        const bool written =
            WriteFile(IcoBytes(pngs, icoSizes), folder + "/quorvadellix.ico") &&
            WriteFile(WindowIconHeader(DrawIcon(sky, 48), 48), folder + "/windowicon.h");
        return written ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: makepictures [--icons] <output folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    Canvas sky = DrawSky();
    if (!WriteJpeg(sky, folder + "/space_image.jpg")) {
        return 1;
    }
    DrawWelcome(sky);
    if (!WriteJpeg(sky, folder + "/space_image_welcome.jpg")) {
        return 1;
    }
    return 0;
}
