#include "PaintNow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>
#include <QWindow>

namespace PaintNow {

void paintNow(QWidget* widget, int limitMs)
{
    if (!widget)
        return;
    QWidget* window = widget->window();
    const auto flags = QEventLoop::ExcludeUserInputEvents;
    QCoreApplication::processEvents(flags);
    QElapsedTimer elapsed;
    elapsed.start();
    while (window->isVisible() && window->windowHandle() && !window->windowHandle()->isExposed() &&
           elapsed.elapsed() < limitMs) {
        QThread::msleep(5);
        QCoreApplication::processEvents(flags);
    }
    window->repaint();
    QCoreApplication::processEvents(flags);
}

} // namespace PaintNow
