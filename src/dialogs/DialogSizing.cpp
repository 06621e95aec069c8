#include "DialogSizing.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace DialogSizing {
namespace {

// Room kept for the window manager's title bar and border.
constexpr int kFrameAllowance = 40;

} // namespace

void fixSize(QDialog* dialog, QSize design)
{
    // Controls shown or hidden just now have only asked their group boxes to
    // lay out again; let them, so the sizes below are the new ones.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    // Fixed again after controls were shown or hidden: a dialog that already
    // scrolls keeps its height (as tall as the screen allows) and takes the
    // width its controls now need.
    if (auto* scroll = dialog->findChild<QScrollArea*>(QStringLiteral("DialogScrollArea"),
                                                       Qt::FindDirectChildrenOnly)) {
        QWidget* content = scroll->widget();
        if (content->layout())
            content->layout()->activate();
        const int width = std::max(design.width(), content->minimumSizeHint().width()) +
                          scroll->verticalScrollBar()->sizeHint().width();
        dialog->setFixedSize(width, dialog->height());
        return;
    }
    QLayout* layout = dialog->layout();
    if (layout)
        layout->activate();
    QSize size = design.expandedTo(dialog->minimumSizeHint());

    // Taller than the screen (a small one, or a large device scale): the
    // buttons at the bottom would lie below its edge, out of reach. The
    // controls keep their height and the dialog scrolls them instead.
    const QScreen* screen = dialog->screen();
    const int room = screen ? screen->availableGeometry().height() - kFrameAllowance : 0;
    if (layout && room > 100 && size.height() > room) {
        auto* content = new QWidget;
        content->setLayout(layout); // takes the layout and its controls over
        auto* scroll = new QScrollArea(dialog);
        scroll->setObjectName(QStringLiteral("DialogScrollArea"));
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // Tab walks the controls, not the area; it scrolls to the focused one.
        scroll->setFocusPolicy(Qt::NoFocus);
        scroll->setWidget(content);
        auto* outer = new QVBoxLayout(dialog);
        outer->setContentsMargins(0, 0, 0, 0);
        outer->addWidget(scroll);
        size = QSize(size.width() + scroll->verticalScrollBar()->sizeHint().width(), room);
        // A dialog on the screen shows its new parts itself.
        if (dialog->isVisible())
            scroll->show();
    }
    dialog->setFixedSize(size);
}

} // namespace DialogSizing
