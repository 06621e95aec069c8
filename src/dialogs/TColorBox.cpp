#include "TColorBox.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

namespace {

struct NamedColor
{
    const char* name;
    TColor value;
};

constexpr NamedColor kStandardColors[] = {
    {"Black", 0x000000},  {"Maroon", 0x000080},  {"Green", 0x008000}, {"Olive", 0x008080},
    {"Navy", 0x800000},   {"Purple", 0x800080},  {"Teal", 0x808000},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},     {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF},
};

constexpr int kColorRole = Qt::UserRole + 1;
constexpr int kAskRole = Qt::UserRole + 2;

QIcon swatch(TColor color)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(TColorBox::toQColor(color));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    return QIcon(pixmap);
}

} // namespace

TColorBox::TColorBox(QWidget* parent) : QComboBox(parent)
{
    for (const NamedColor& c : kStandardColors)
        addItem(swatch(c.value), QString::fromLatin1(c.name), QVariant::fromValue<uint>(c.value));
    addItem(QStringLiteral("Custom..."));
    setItemData(count() - 1, true, kAskRole);
    for (int i = 0; i < count() - 1; ++i)
        setItemData(i, QVariant::fromValue<uint>(kStandardColors[i].value), kColorRole);
    connect(this, qOverload<int>(&QComboBox::activated), this, &TColorBox::itemActivated);
    setSelected(0);
}

QColor TColorBox::toQColor(TColor color)
{
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

TColor TColorBox::fromQColor(const QColor& color)
{
    return TColor(color.red()) | (TColor(color.green()) << 8) | (TColor(color.blue()) << 16);
}

TColor TColorBox::selected() const
{
    return m_selected;
}

void TColorBox::setCustom(TColor color)
{
    if (!m_hasCustom) {
        insertItem(0, QStringLiteral("Custom"));
        m_hasCustom = true;
    }
    setItemIcon(0, swatch(color));
    setItemData(0, QVariant::fromValue<uint>(color), kColorRole);
}

void TColorBox::setSelected(TColor color)
{
    // Only the colour is kept; the unused top byte of a stored value is not.
    color &= 0xFFFFFF;
    m_selected = color;
    const int first = m_hasCustom ? 1 : 0;
    for (int i = first; i < count(); ++i) {
        const QVariant value = itemData(i, kColorRole);
        if (value.isValid() && TColor(value.toUInt()) == color) {
            setCurrentIndex(i);
            return;
        }
    }
    setCustom(color);
    setCurrentIndex(0);
}

void TColorBox::itemActivated(int index)
{
    if (!itemData(index, kAskRole).toBool()) {
        m_selected = TColor(itemData(index, kColorRole).toUInt());
        return;
    }
    const QColor chosen = QColorDialog::getColor(toQColor(m_selected), this);
    setSelected(chosen.isValid() ? fromQColor(chosen) : m_selected);
}
