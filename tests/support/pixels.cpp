#include "support/pixels.h"

#include <cstdlib>

Picture Unlike(const CBuffer2D& buffer, const ColourAt& expected)
{
    Picture found;
    for (int row = 0; row < buffer.Height(); ++row)
        for (int col = 0; col < buffer.Width(); ++col)
            if (buffer.GetPixel(col, row) != expected(col, row))
                found[{col, row}] = buffer.GetPixel(col, row);
    return found;
}
PixelSet PixelsNot(const CBuffer2D& buffer, PixelType background)
{
    PixelSet found;
    for (const auto& pixel : ColoursNot(buffer, background))
        found.insert(pixel.first);
    return found;
}
void MakePicture(CImageRecord& image, int width, int height, const ColourAt& colour)
{
    image.Create(width, height, 24, IMAGE_FORMAT_BMP);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 3 * width; ++x) // blue, green, red
            image.GetBits()[y * image.GetEffWidth() + x] =
                static_cast<BYTE>(colour(x / 3, y) >> (8 * (x % 3)));
}
PixelType Pattern(int x, int y)
{
    return (((x >> 8) | ((y >> 8) << 2) | 0x40) << 16) | (((y ^ (x >> 2)) & 0xFF) << 8) |
           ((x + 3 * y) & 0xFF);
}
void Paint(Picture& picture, const PixelSet& pixels, PixelType colour)
{
    for (const auto& pixel : pixels)
        picture[pixel] = colour;
}
PixelSet Art(std::initializer_list<const char*> rows, int bottom)
{
    PixelSet pixels;
    int row = bottom + static_cast<int>(rows.size());
    for (const char* text : rows)
        for (int col = 0, r = --row; text[col] != '\0'; ++col)
            if (text[col] == '#')
                pixels.insert({col, r});
    return pixels;
}
PixelSet Fit(const PixelSet& pixels, int width, int height, bool wrap)
{
    PixelSet fitted;
    for (const auto& [col, row] : pixels)
        if (wrap)
            fitted.insert({(col % width + width) % width, (row % height + height) % height});
        else if (col >= 0 && col < width && row >= 0 && row < height)
            fitted.insert({col, row});
    return fitted;
}
void AddLine(PixelSet& pixels, CPoint2D p, CPoint2D q)
{
    const long long x0 = p.X(), y0 = p.Y(), dx = q.X() - x0, dy = q.Y() - y0;
    const long long steps = std::max(std::llabs(dx), std::llabs(dy));
    // Step i is i / steps of the way; the other axis is rounded, halves towards the start.
    const auto along = [steps](long long from, long long delta, long long i) {
        const long long share = steps ? (2 * i * std::llabs(delta) + steps - 1) / (2 * steps) : 0;
        return static_cast<int>(from + (delta < 0 ? -share : share));
    };
    for (long long i = 0; i <= steps; ++i)
        pixels.insert({along(x0, dx, i), along(y0, dy, i)});
}
void AddCircle(PixelSet& pixels, CPoint2D centre, double radius)
{
    const double step = 2.0 * 3.1415926535 / 25.0;
    const CPoint2D start(centre.X(), centre.Y() + static_cast<int>(radius)), s = start - centre;
    CPoint2D prev = start;
    for (int k = 1; k <= 25; ++k) {
        const double c = std::cos(k * step), n = std::sin(k * step);
        const CPoint2D next = centre + CPoint2D(c * s.Xd() - n * s.Yd(), n * s.Xd() + c * s.Yd());
        AddLine(pixels, prev, next);
        prev = next;
    }
}
Picture ShipPicture(CPoint2D centre, double heading)
{
    const auto at = [centre](double a) {
        return centre + CPoint2D(15 * std::cos(a), 15 * std::sin(a));
    };
    const double e = 3.1415926535 / 4;
    const CPoint2D chain[] = {at(heading), at(heading + 3 * e), centre, at(heading + 5 * e)};
    PixelSet outline, guard;
    for (int i = 0; i < 4; ++i) // both ways
        AddLine(outline, chain[i], chain[(i + 1) % 4]),
            AddLine(outline, chain[(i + 1) % 4], chain[i]);
    AddCircle(guard, centre, 15);
    Picture picture;
    Paint(picture, outline, 0xFFFFFF), Paint(picture, guard, NO_COLOUR);
    return picture;
}
PixelSet AsteroidPixels(CPoint2D centre)
{
    PixelSet pixels;
    for (const auto& [dx, dy] : {std::pair{0, 15}, {15, 0}, {0, -15}, {-15, 0}})
        AddCircle(pixels, centre + CPoint2D(dx, dy), 15);
    return pixels;
}
