#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

// How many pixels of the area (the whole image when none is given) have
// exactly the colour.
inline int CountColour(const QImage& image, const QColor& colour, const QRect& area)
{
    int count = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            count += image.pixelColor(x, y) == colour;
    }
    return count;
}

inline int CountColour(const QImage& image, const QColor& colour)
{
    return CountColour(image, colour, image.rect());
}
