#include "WindowScaling.h"

#include <QFontMetrics>
#include <QLabel>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace WindowScaling {

int mulDiv(int v, int m, int d)
{
    if (d == 0)
        return v;
    const int64_t product = int64_t(v) * m;
    const int64_t half = std::llabs(d) / 2;
    const bool negative = (product < 0) != (d < 0);
    const int64_t magnitude = (std::llabs(product) + half) / std::llabs(d);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

namespace {

void scaleFont(QWidget* widget, int m, int d)
{
    QFont font = widget->font();
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, mulDiv(font.pixelSize(), m, d)));
    else if (font.pointSize() > 0)
        font.setPointSize(std::max(1, mulDiv(font.pointSize(), m, d)));
    widget->setFont(font);
}

// A font does not grow in proportion to its pixel size: at 17 pixels a
// text is wider than 1.5 times its width at 11. A label whose text no longer
// fits grows to it, keeping its right edge when it is right-aligned.
void fitLabelText(QLabel* label)
{
    const QFontMetrics metrics(label->font());
    const QString text = label->text();
    const int width = std::max(label->width(), metrics.horizontalAdvance(text) + 1);
    const int height = std::max(label->height(), metrics.height());
    if (width == label->width() && height == label->height())
        return;
    const QRect g = label->geometry();
    const int left = (label->alignment() & Qt::AlignRight) ? g.right() + 1 - width : g.x();
    label->setGeometry(left, g.y(), width, height);
}

} // namespace

void scaleBy(QWidget* window, int m, int d)
{
    if (m == d || d == 0)
        return;
    for (QObject* object : window->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (!child || child->isWindow())
            continue;
        const QRect g = child->geometry();
        child->setGeometry(mulDiv(g.x(), m, d), mulDiv(g.y(), m, d), mulDiv(g.width(), m, d),
                           mulDiv(g.height(), m, d));
        if (child->testAttribute(Qt::WA_SetFont))
            scaleFont(child, m, d);
        if (auto* label = qobject_cast<QLabel*>(child); label && !label->text().isEmpty())
            fitLabelText(label);
    }
    window->resize(mulDiv(window->width(), m, d), mulDiv(window->height(), m, d));
    scaleFont(window, m, d);
}

} // namespace WindowScaling
