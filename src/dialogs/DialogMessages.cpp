#include "DialogMessages.h"

#include "PlainText.h"

#include <QApplication>
#include <QMessageBox>

namespace DialogMessages {
namespace {

Answer showBox(Kind kind, const QString& text)
{
    QString shown = text;
    shown.remove(QLatin1Char('\r'));
    const QString title = QApplication::applicationDisplayName();
    QWidget* parent = QApplication::activeModalWidget();
    switch (kind) {
    case Kind::Error:
        PlainText::messageBox(parent, QMessageBox::Critical, title, shown);
        return Answer::Ok;
    case Kind::Information:
        PlainText::messageBox(parent, QMessageBox::Information, title, shown);
        return Answer::Ok;
    case Kind::Confirmation:
        return PlainText::messageBox(parent, QMessageBox::Question, title, shown,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes
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
