#include "support/pixels.h"

PixelSet PixelsNot(const CBuffer2D& buffer, PixelType background)
{
    PixelSet found;
    for (int row = 0; row < buffer.Height(); ++row) {
        for (int col = 0; col < buffer.Width(); ++col) {
            if (buffer.GetPixel(col, row) != background) {
                found.insert({col, row});
            }
        }
    }
    return found;
}

int CountPixels(const CBuffer2D& buffer, PixelType colour)
{
    int count = 0;
    for (int row = 0; row < buffer.Height(); ++row) {
        for (int col = 0; col < buffer.Width(); ++col) {
            count += buffer.GetPixel(col, row) == colour ? 1 : 0;
        }
    }
    return count;
}
