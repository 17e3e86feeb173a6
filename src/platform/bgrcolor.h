#pragma once

#include <QColor>

// Colours as records store them: 0x00BBGGRR.
namespace bgrcolor {

inline QColor toColor(int bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

inline int fromColor(const QColor& c)
{
    return c.red() | c.green() << 8 | c.blue() << 16;
}

} // namespace bgrcolor
