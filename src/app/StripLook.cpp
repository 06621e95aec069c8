#include "StripLook.h"

#include "PlainText.h"

#include <QLabel>
#include <QPalette>

namespace StripLook {

QFont tahoma(int pixels, bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void setColors(QWidget* widget, TColor text, TColor back)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, VrColor::toQColor(text));
    palette.setColor(QPalette::Window, VrColor::toQColor(back));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setLabelText(QLabel* label, const std::string& text)
{
    if (!label)
        return;
    const QString shown = QString::fromStdString(text);
    const int width = label->fontMetrics().horizontalAdvance(shown) + 1;
    const QRect g = label->geometry();
    if (label->alignment() & Qt::AlignRight)
        label->setGeometry(g.right() + 1 - width, g.y(), width, g.height());
    else
        label->setGeometry(g.x(), g.y(), width, g.height());
    // Names, addresses and rates from agents show as the characters they are.
    PlainText::label(label)->setText(shown);
}

} // namespace StripLook
