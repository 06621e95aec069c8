#include "WindowFrame.h"

#include "ScreenPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <vector>

namespace WindowFrame {

namespace {

void bringOnScreen(QWidget* window)
{
    if (!window || !window->isVisible())
        return;
    std::vector<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.push_back(screen->availableGeometry());
    const QRect frame = window->frameGeometry();
    const QPoint place = ScreenPlacement::onScreen(frame, areas);
    // A top-level window's position is its frame's once the frame is known.
    if (place != frame.topLeft())
        window->move(place);
}

class Keeper : public QObject
{
public:
    explicit Keeper(QWidget* window) : QObject(window)
    {
        setObjectName(QStringLiteral("WindowFrameKeeper"));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            QPointer<QWidget> window = static_cast<QWidget*>(watched);
            // At once for a desktop without a window manager; again once the
            // frame's extents have come in.
            for (const int delay : {0, 150, 500})
                QTimer::singleShot(delay, window, [window] { bringOnScreen(window); });
        }
        return false;
    }
};

} // namespace

Qt::WindowFlags fixedDialogFlags(bool stayOnTop)
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                            Qt::MSWindowsFixedSizeDialogHint;
    if (stayOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    return flags;
}

void makeFixedDialog(QWidget* window, bool stayOnTop)
{
    window->setWindowFlags(fixedDialogFlags(stayOnTop));
    keepReachable(window);
}

void keepReachable(QWidget* window)
{
    if (window && !window->findChild<QObject*>(QStringLiteral("WindowFrameKeeper"),
                                               Qt::FindDirectChildrenOnly))
        new Keeper(window);
}

} // namespace WindowFrame
