#include "scan/progress_geometry.h"

#include <cmath>
#include <limits>

ProgressGeometry DrawProgressGeometry(int width, int height, qint16 value, const QString &caption,
                                      qint16 scale)
{
    ProgressGeometry geometry;
    geometry.bottom = height;
    // value / (scale / width) in floating point, rounded toward minus
    // infinity; a zero width or scale gives no number, and no bar.
    const double end = double(value) / (double(scale) / double(width));
    if (std::isfinite(end)) {
        const double floored = std::floor(end);
        constexpr double kMin = double(std::numeric_limits<int>::min());
        constexpr double kMax = double(std::numeric_limits<int>::max());
        geometry.barEnd = int(std::clamp(floored, kMin, kMax));
    }
    if (value > 0)
        geometry.text = QString::number(value) + u'%' + caption;
    return geometry;
}
