#include "DialogMessages.h"

#include "WindowFrame.h"

#include <QApplication>
#include <QMessageBox>

namespace DialogMessages {
namespace {

// The strip stays above every other window: a box that did not would open
// under it, unseen, and hold the program until found.
QMessageBox::StandardButton exec(QMessageBox::Icon icon, const QString& text,
                                 QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, buttons,
                    QApplication::activeModalWidget());
    WindowFrame::makeFixedDialog(&box, true);
    // Texts name devices and paths: shown as the characters they are.
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

Answer showBox(Kind kind, const QString& text)
{
    QString shown = text;
    shown.remove(QLatin1Char('\r'));
    switch (kind) {
    case Kind::Error:
        exec(QMessageBox::Critical, shown, QMessageBox::Ok);
        return Answer::Ok;
    case Kind::Information:
        exec(QMessageBox::Information, shown, QMessageBox::Ok);
        return Answer::Ok;
    case Kind::Confirmation:
        return exec(QMessageBox::Question, shown, QMessageBox::Yes | QMessageBox::No) ==
                       QMessageBox::Yes
                   ? Answer::Yes
                   : Answer::No;
    }
    return Answer::Ok;
}

Function& current()
{
    static Function function;
    return function;
}

} // namespace

Answer show(Kind kind, const QString& text)
{
    const Function& function = current();
    return function ? function(kind, text) : showBox(kind, text);
}

Function setFunction(Function function)
{
    Function previous = std::move(current());
    current() = std::move(function);
    return previous;
}

} // namespace DialogMessages
