#include "VrRaster.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace VrRaster {
namespace {

struct Target
{
    QRgb* pixels;
    std::int64_t stride; // in pixels
    std::int64_t width;
    std::int64_t height;
};

QRgb toRgb(TColor color)
{
    return qRgb(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

Target targetOf(QImage& image)
{
    return {reinterpret_cast<QRgb*>(image.bits()), image.bytesPerLine() / 4, image.width(),
            image.height()};
}

// Visits the pixels of the line from a to b (the rule above) that lie in
// the image: plot(pixel, x, y).
template <class Plot> void rasterLine(const Target& target, QPoint a, QPoint b, Plot plot)
{
    const std::int64_t dx = static_cast<std::int64_t>(b.x()) - a.x();
    const std::int64_t dy = static_cast<std::int64_t>(b.y()) - a.y();
    if (dx == 0 && dy == 0)
        return;
    if (dy == 0) {
        // Grid and base lines: one span of a row.
        if (a.y() < 0 || a.y() >= target.height)
            return;
        std::int64_t from = dx > 0 ? a.x() : static_cast<std::int64_t>(b.x()) + 1;
        std::int64_t to = dx > 0 ? static_cast<std::int64_t>(b.x()) - 1 : a.x();
        from = std::max<std::int64_t>(from, 0);
        to = std::min<std::int64_t>(to, target.width - 1);
        QRgb* row = target.pixels + a.y() * target.stride;
        for (std::int64_t x = from; x <= to; ++x)
            plot(row + x, x, a.y());
        return;
    }
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    // Major axis m, minor axis n: m = m0 + t * ms for t = 0 .. dm - 1, and
    // n = n0 + ns * floor((2 t dn + dm) / (2 dm)), the exact position rounded to nearest.
    const std::int64_t m0 = xMajor ? a.x() : a.y();
    const std::int64_t n0 = xMajor ? a.y() : a.x();
    const std::int64_t dm = std::llabs(xMajor ? dx : dy);
    const std::int64_t dn = std::llabs(xMajor ? dy : dx);
    const int ms = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int ns = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const std::int64_t majorSize = xMajor ? target.width : target.height;
    const std::int64_t minorSize = xMajor ? target.height : target.width;

    // Clip t to the part whose major coordinate lies inside the image.
    std::int64_t tFirst = 0;
    std::int64_t tLast = dm - 1;
    if (ms > 0) {
        if (m0 < 0)
            tFirst = -m0;
        if (m0 + tLast > majorSize - 1)
            tLast = majorSize - 1 - m0;
    } else {
        if (m0 > majorSize - 1)
            tFirst = m0 - (majorSize - 1);
        if (m0 - tLast < 0)
            tLast = m0;
    }
    if (tFirst > tLast)
        return;

    const std::int64_t twoDm = 2 * dm;
    const std::int64_t twoDn = 2 * dn;
    // Unclipped lines (the usual case) start at offset 0 with remainder dm.
    std::int64_t remainder = dm;
    std::int64_t minor = n0;
    if (tFirst != 0) {
        // 128 bits: with coordinates anywhere in int the product passes 2^63.
        const __int128 numerator = static_cast<__int128>(twoDn) * tFirst + dm;
        remainder = static_cast<std::int64_t>(numerator % twoDm);
        minor = n0 + ns * static_cast<std::int64_t>(numerator / twoDm);
    }
    const std::int64_t major = m0 + ms * tFirst;
    const std::int64_t majorStep = xMajor ? ms : ms * target.stride;
    const std::int64_t minorStep = xMajor ? ns * target.stride : ns;
    std::int64_t index = xMajor ? minor * target.stride + major : major * target.stride + minor;
    for (std::int64_t t = tFirst; t <= tLast; ++t) {
        if (static_cast<std::uint64_t>(minor) < static_cast<std::uint64_t>(minorSize)) {
            const std::int64_t m = m0 + ms * t;
            plot(target.pixels + index, xMajor ? m : minor, xMajor ? minor : m);
        }
        index += majorStep;
        remainder += twoDn;
        if (remainder >= twoDm) {
            remainder -= twoDm;
            minor += ns;
            index += minorStep;
        }
    }
}

void lineRgb(const Target& target, QPoint a, QPoint b, QRgb rgb)
{
    rasterLine(target, a, b, [rgb](QRgb* pixel, std::int64_t, std::int64_t) { *pixel = rgb; });
}

} // namespace

void line(QImage& image, QPoint a, QPoint b, TColor color)
{
    if (image.depth() != 32)
        return;
    lineRgb(targetOf(image), a, b, toRgb(color));
}

void polyline(QImage& image, const QPoint* points, int count, TColor color)
{
    if (image.depth() != 32 || count < 2)
        return;
    const Target target = targetOf(image);
    const QRgb rgb = toRgb(color);
    for (int i = 1; i < count; ++i)
        lineRgb(target, points[i - 1], points[i], rgb);
}

void restorePolyline(QImage& image, const QPoint* points, int count, const GridPicture& grid)
{
    if (image.depth() != 32 || count < 2 || grid.columns.size() < std::size_t(image.width()) ||
        grid.rows.size() < std::size_t(image.height()))
        return;
    const Target target = targetOf(image);
    const QRgb* columns = grid.columns.data();
    const QRgb* rows = grid.rows.data();
    auto restore = [columns, rows](QRgb* pixel, std::int64_t x, std::int64_t y) {
        *pixel = rows[y] != 0 ? rows[y] : columns[x];
    };
    for (int i = 1; i < count; ++i)
        rasterLine(target, points[i - 1], points[i], restore);
}

} // namespace VrRaster
