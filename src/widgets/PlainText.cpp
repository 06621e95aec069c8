#include "PlainText.h"

#include "WindowFrame.h"

#include <QLabel>
#include <QTextDocument>

namespace PlainText {

QLabel* label(QLabel* label)
{
    if (label)
        label->setTextFormat(Qt::PlainText);
    return label;
}

QString notificationBody(const QString& text)
{
    return text.toHtmlEscaped();
}

QString toolTip(const QString& text)
{
    if (text.isEmpty())
        return text;
    // Tool tips have no plain-text switch: escaped markup in a preformatted
    // paragraph shows every character, and every line break, as it is.
    return Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}

QMessageBox::StandardButton messageBox(QWidget* parent, QMessageBox::Icon icon,
                                       const QString& title, const QString& text,
                                       QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    WindowFrame::makeFixedDialog(&box, false);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace PlainText
