#include "MessageBoxes.h"

#include "DialogMessages.h"
#include "WindowFrame.h"

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
    if (kind == Kind::Notice) {
        auto* box = new QMessageBox(QMessageBox::Information, QCoreApplication::applicationName(),
                                    shown, QMessageBox::Ok);
        box->setTextFormat(Qt::PlainText);
        WindowFrame::makeFixedDialog(box, true);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
        return;
    }
    // The dialogs' boxes: above the strip, plain text, carriage returns not
    // shown.
    DialogMessages::show(kind == Kind::Error ? DialogMessages::Kind::Error
                                             : DialogMessages::Kind::Information,
                         text);
}

Function setFunction(Function function)
{
    Function previous = std::move(g_function);
    g_function = std::move(function);
    return previous;
}

} // namespace MessageBoxes
