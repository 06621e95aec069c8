#include "MessageBoxes.h"

#include "DialogMessages.h"

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
    // The dialogs' boxes: above the strip, carriage returns not shown.
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
