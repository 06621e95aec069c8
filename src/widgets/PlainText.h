#pragma once

#include <QMessageBox>
#include <QString>

class QLabel;

// Texts that came from the network or the settings store (a device's name, an
// interface description, an address, a path) must show as the characters
// they are: Qt takes any text that looks like markup for rich text in
// labels, message boxes and tool tips, which would let an agent hide text or
// show a link. Every such place goes through these.
namespace PlainText {

// Makes the label show its text as plain text from now on; returns it.
QLabel* label(QLabel* label);

// The text as a tool tip that shows exactly these characters, line breaks
// kept. An empty text stays empty (no tip).
QString toolTip(const QString& text);

// The text as the body of a desktop notification: notification servers and
// Qt's own balloon take markup in it, so the characters that make markup are
// escaped and show as themselves.
QString notificationBody(const QString& text);

// A modal message box that shows its text as plain text; returns the button
// pressed.
QMessageBox::StandardButton messageBox(QWidget* parent, QMessageBox::Icon icon,
                                       const QString& title, const QString& text,
                                       QMessageBox::StandardButtons buttons = QMessageBox::Ok);

} // namespace PlainText
