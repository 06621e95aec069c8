#include "TrayImages.h"

#include <QPainter>
#include <QPixmap>

namespace TrayImages {

namespace {
const QColor kBack(16, 16, 16);
const QColor kFrame(96, 96, 96);
const QColor kDown(0, 255, 0);
const QColor kUp(255, 0, 0);
const QColor kIdleDown(0, 96, 0);
const QColor kIdleUp(96, 0, 0);

// Inside the one-pixel frame: rows 1 .. 14.
constexpr int kInner = kSize - 2;
} // namespace

int barHeight(int level)
{
    if (level <= 0)
        return 1;
    if (level >= kLevels - 1)
        return kInner;
    return 1 + (level * (kInner - 1) + (kLevels - 2)) / (kLevels - 1);
}

QImage image(int downLevel, int upLevel)
{
    QImage picture(kSize, kSize, QImage::Format_ARGB32);
    picture.fill(kBack);
    QPainter painter(&picture);
    painter.setPen(kFrame);
    painter.drawRect(0, 0, kSize - 1, kSize - 1);
    const auto bar = [&](int left, int level, const QColor& busy, const QColor& idle) {
        const int height = barHeight(level);
        painter.fillRect(left, 1 + kInner - height, 6, height, level == 0 ? idle : busy);
    };
    bar(1, downLevel, kDown, kIdleDown);
    bar(9, upLevel, kUp, kIdleUp);
    return picture;
}

QList<QIcon> icons()
{
    QList<QIcon> list;
    for (int down = 0; down < kLevels; ++down)
        for (int up = 0; up < kLevels; ++up)
            list.append(QIcon(QPixmap::fromImage(image(down, up))));
    return list;
}

} // namespace TrayImages
