#include "MessageBoxes.h"

#include "PlainText.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace MessageBoxes {

namespace {
Function g_function;
} // namespace

void show(Kind kind, const QString& text)
{
    if (g_function) {
        g_function(kind, text);
        return;
    }
    QString shown = text;
    shown.remove(QLatin1Char('\r'));
    const QString title = QCoreApplication::applicationName();
    if (kind == Kind::Notice) {
        auto* box = new QMessageBox(QMessageBox::Information, title, shown, QMessageBox::Ok);
        box->setTextFormat(Qt::PlainText);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
        return;
    }
    PlainText::messageBox(nullptr,
                          kind == Kind::Error ? QMessageBox::Critical : QMessageBox::Information,
                          title, shown);
}

Function setFunction(Function function)
{
    Function previous = std::move(g_function);
    g_function = std::move(function);
    return previous;
}

} // namespace MessageBoxes
