#pragma once

#include <QLabel>
#include <QTextDocument>

// What a person sees of a text: Qt renders a label's or a tool tip's text as
// markup when it looks like markup (unless the label is set to plain text).
// Tests compare this with the text that went in.
namespace ShownText {

inline QString rendered(const QString& markup)
{
    QTextDocument document;
    document.setHtml(markup);
    return document.toPlainText();
}

inline QString ofToolTip(const QString& tip)
{
    return Qt::mightBeRichText(tip) ? rendered(tip) : tip;
}

inline QString ofLabel(const QLabel& label)
{
    const bool rich = label.textFormat() == Qt::RichText ||
                      (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(label.text()));
    return rich ? rendered(label.text()) : label.text();
}

// Texts an agent or an edited store may hold that Qt would take for markup.
inline const QStringList& hostileTexts()
{
    static const QStringList texts = {
        QStringLiteral("<a href=\"http://x.example/fw\">Click to update firmware</a><!--"),
        QStringLiteral("<b>bold</b> &amp; <i>slanted</i>"),
        QStringLiteral("<img src=\"/etc/passwd\">router"),
        QStringLiteral("<qt>plain?</qt>"),
        QStringLiteral("a < b > c & d"),
    };
    return texts;
}

} // namespace ShownText
