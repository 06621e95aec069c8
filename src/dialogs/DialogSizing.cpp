#include "DialogSizing.h"

#include <QDialog>
#include <QLayout>

namespace DialogSizing {

void fixSize(QDialog* dialog, QSize design)
{
    if (QLayout* layout = dialog->layout())
        layout->activate();
    dialog->setFixedSize(design.expandedTo(dialog->minimumSizeHint()));
}

} // namespace DialogSizing
