#include "support/pixels.h"

#include <cmath>
#include <algorithm>
#include <cstdlib>

PixelSet PixelsNot(const CBuffer2D& buffer, PixelType background)
{
    PixelSet found;
    for (int row = 0; row < buffer.Height(); ++row)
        for (int col = 0; col < buffer.Width(); ++col)
            if (buffer.GetPixel(col, row) != background)
                found.insert({col, row});
    return found;
}

Picture ColoursNot(const CBuffer2D& buffer, PixelType background)
{
    Picture found;
    for (const auto& pixel : PixelsNot(buffer, background))
        found[pixel] = buffer.GetPixel(pixel.first, pixel.second);
    return found;
}

void Paint(Picture& picture, const PixelSet& pixels, PixelType colour)
{
    for (const auto& pixel : pixels)
        picture[pixel] = colour;
}

int CountPixels(const CBuffer2D& buffer, PixelType colour)
{
    const PixelType* pixels = buffer.GetPixels();
    int count = 0;
    for (int i = 0; i < buffer.Size(); ++i)
        count += pixels[i] == colour ? 1 : 0;
    return count;
}

PixelSet Art(std::initializer_list<const char*> rows, int bottom)
{
    PixelSet pixels;
    int row = bottom + static_cast<int>(rows.size());
    for (const char* text : rows) {
        --row;
        for (int col = 0; text[col] != '\0'; ++col)
            if (text[col] == '#')
                pixels.insert({col, row});
    }
    return pixels;
}

void AddLine(PixelSet& pixels, int x0, int y0, int x1, int y1)
{
    const long long dx = x1 - x0, dy = y1 - y0, steps = std::max(std::llabs(dx), std::llabs(dy));
    // Step i is i / steps of the way; the minor axis is rounded half towards the start.
    const auto along = [steps](long long from, long long delta, long long i) {
        const long long n = 2 * i * std::llabs(delta) + steps - 1, share = steps ? n / (2 * steps) : 0;
        return static_cast<int>(from + (delta < 0 ? -share : share));
    };
    for (long long i = 0; i <= steps; ++i)
        pixels.insert({along(x0, dx, i), along(y0, dy, i)});
}

void AddCircle(PixelSet& pixels, CPoint2D centre, double radius)
{
    const double step = 2.0 * 3.1415926535 / 25.0;
    const double sx = centre.X() - centre.Xd(), sy = centre.Y() + static_cast<int>(radius) - centre.Yd();
    CPoint2D prev(centre.X(), centre.Y() + static_cast<int>(radius));
    for (int k = 1; k <= 25; ++k) {
        const double c = std::cos(k * step), s = std::sin(k * step);
        const CPoint2D next(centre.Xd() + c * sx - s * sy, centre.Yd() + s * sx + c * sy);
        AddLine(pixels, prev, next);
        prev = next;
    }
}

Picture ShipPicture(CPoint2D centre, double heading)
{
    const auto polar = [centre](double a) {
        return CPoint2D(centre.Xd() + 15 * std::cos(a), centre.Yd() + 15 * std::sin(a));
    };
    const double quarter = 3.1415926535 / 4;
    const CPoint2D chain[] = {polar(heading), polar(heading + 3 * quarter), centre,
                              polar(heading + 5 * quarter), polar(heading)};
    PixelSet outline, guard;
    for (int i = 0; i < 4; ++i) {
        AddLine(outline, chain[i], chain[i + 1]);
        AddLine(outline, chain[i + 1], chain[i]);
    }
    AddCircle(guard, centre, 15);
    Picture picture;
    Paint(picture, outline, 0xFFFFFF);
    Paint(picture, guard, NO_COLOUR);
    return picture;
}

PixelSet AsteroidPixels(CPoint2D centre)
{
    PixelSet pixels;
    for (const auto& [dx, dy] : {std::pair{0, 15}, {15, 0}, {0, -15}, {-15, 0}})
        AddCircle(pixels, centre + CPoint2D(dx, dy), 15);
    return pixels;
}

PixelSet Fit(const PixelSet& pixels, int width, int height, bool wrap)
{
    PixelSet fitted;
    for (const auto& [col, row] : pixels) {
        if (wrap)
            fitted.insert({(col % width + width) % width, (row % height + height) % height});
        else if (col >= 0 && col < width && row >= 0 && row < height)
            fitted.insert({col, row});
    }
    return fitted;
}
