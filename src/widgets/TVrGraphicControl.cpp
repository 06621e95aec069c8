#include "TVrGraphicControl.h"

#include "WindowCover.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

TVrGraphicControl::TVrGraphicControl(QWidget* parent) : QWidget(parent)
{
    // Every paint fills the whole rectangle, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

TVrGraphicControl::~TVrGraphicControl() = default;

void TVrGraphicControl::setColor(TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    updateRequest();
}

void TVrGraphicControl::beginUpdate()
{
    ++m_updateLock;
}

void TVrGraphicControl::endUpdate()
{
    if (m_updateLock > 0 && --m_updateLock == 0)
        updateRequest();
}

bool TVrGraphicControl::onScreen() const
{
    if (!isVisible() || window()->isMinimized() || WindowCover::covered(window()))
        return false;
    const QRect global(mapToGlobal(QPoint(0, 0)), size());
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry().intersects(global))
            return true;
    }
    return false;
}

void TVrGraphicControl::updateRequest()
{
    if (m_updateLock != 0)
        return;
    if (!onScreen()) {
        // Drawn when it comes into view, or when it is painted anyway.
        m_pending = true;
        return;
    }
    m_pending = false;
    updateChanged(redraw());
}

void TVrGraphicControl::updateChanged(const QRect& changed)
{
    // Only what changed goes to the screen; nothing at all when a change
    // left every pixel as it was.
    if (!changed.isEmpty())
        update(changed);
}

void TVrGraphicControl::redrawIfInView()
{
    if (m_pending && m_updateLock == 0 && onScreen()) {
        m_pending = false;
        updateChanged(redraw());
    }
}

void TVrGraphicControl::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Moving the window, not the control, is what usually brings a control
    // into view; the window tells of that only to itself.
    QWidget* top = window();
    if (top != m_watchedWindow) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = top;
        if (top != this)
            top->installEventFilter(this);
    }
    WindowCover::watch(top);
}

bool TVrGraphicControl::event(QEvent* event)
{
    // A control that is a window of its own hears of being uncovered itself.
    if (event->type() == WindowCover::uncoveredEvent())
        redrawIfInView();
    return QWidget::event(event);
}

void TVrGraphicControl::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    redrawIfInView();
}

bool TVrGraphicControl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watchedWindow) {
        if (event->type() == WindowCover::uncoveredEvent())
            redrawIfInView();
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::WindowStateChange:
            redrawIfInView();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
