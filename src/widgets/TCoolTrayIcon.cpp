#include "TCoolTrayIcon.h"

#include "PlainText.h"
#include "TSimpleTimer.h"
#include "TrayPresence.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QWidget>

#include <climits>
#include <cstdio>

TCoolTrayIcon::TCoolTrayIcon(QWidget* owner)
    : QObject(nullptr), m_owner(owner), m_tray(std::make_unique<QSystemTrayIcon>()),
      m_cycleTimer(std::make_unique<TSimpleTimer>(1000, [this](TSimpleTimer*) { cycleStep(); })),
      m_clickTimer(
          std::make_unique<TSimpleTimer>(1000, [this](TSimpleTimer*) { clickTimerStep(); })),
      m_trayAvailable(QSystemTrayIcon::isSystemTrayAvailable()),
      m_trayWatch(TrayPresence::create(m_trayAvailable))
{
    connect(m_trayWatch.get(), &TrayPresence::changed, this,
            &TCoolTrayIcon::handleTrayAvailability);
    connect(m_tray.get(), &QSystemTrayIcon::activated, this, &TCoolTrayIcon::handleActivation);
    if (m_owner)
        m_owner->installEventFilter(this);
}

TCoolTrayIcon::~TCoolTrayIcon()
{
    hideIcon();
    if (m_owner)
        m_owner->removeEventFilter(this);
}

QString TCoolTrayIcon::tipFor(const QString& hint, bool showHint)
{
    if (!showHint || hint.isEmpty())
        return QString();
    QString tip = hint.left(MaxTipLength);
    // Never leave half of a surrogate pair at the end.
    if (!tip.isEmpty() && tip.back().isHighSurrogate())
        tip.chop(1);
    // Hints break lines with a line feed and a carriage return; the tip shows the line feed only.
    tip.remove(QLatin1Char('\r'));
    return tip;
}

void TCoolTrayIcon::setIconList(const QList<QIcon>& icons)
{
    m_iconList = icons;
    m_hasIconList = true;
    setIconIndex(0);
}

void TCoolTrayIcon::clearIconList()
{
    m_iconList.clear();
    m_hasIconList = false;
    setIconIndex(0);
}

void TCoolTrayIcon::setIconIndex(int index)
{
    if (!m_hasIconList || m_iconList.isEmpty()) {
        m_iconIndex = 0;
        modifyIcon();
        return;
    }
    const int last = static_cast<int>(m_iconList.size()) - 1;
    m_iconIndex = index > last ? last : (index < 0 ? 0 : index);
    setIcon(m_iconList.at(m_iconIndex));
}

void TCoolTrayIcon::setIcon(const QIcon& icon)
{
    m_icon = icon;
    modifyIcon();
}

void TCoolTrayIcon::setHint(const QString& hint)
{
    m_hint = hint;
    modifyIcon();
}

void TCoolTrayIcon::setShowHint(bool showHint)
{
    m_showHint = showHint;
    modifyIcon();
}

QString TCoolTrayIcon::tip() const
{
    return tipFor(m_hint, m_showHint);
}

void TCoolTrayIcon::setIconVisible(bool visible)
{
    if (visible)
        showIcon();
    else
        hideIcon();
}

void TCoolTrayIcon::showIcon()
{
    m_iconVisible = true;
    modifyIcon();
    // Qt ignores a show of a shown icon; hiding first hands it over anew,
    // which is what a panel that forgot it needs.
    m_tray->hide();
    m_tray->show();
    ++m_addCount;
}

void TCoolTrayIcon::hideIcon()
{
    m_iconVisible = false;
    modifyIcon();
    m_tray->hide();
}

QString TCoolTrayIcon::shownTip() const
{
    return m_tray->toolTip();
}

void TCoolTrayIcon::showMessage(const QString& text)
{
    if (m_iconVisible && QSystemTrayIcon::isSystemTrayAvailable() &&
        QSystemTrayIcon::supportsMessages())
        m_tray->showMessage(QStringLiteral("Travimetra"), PlainText::notificationBody(text));
    else
        std::fprintf(stderr, "Travimetra: %s\n", text.toLocal8Bit().constData());
    emit messageShown(text);
}

void TCoolTrayIcon::modifyIcon()
{
    // Every pass sets the image and the hint; a panel is told only of what
    // changed, as each change repaints the icon there.
    if (m_icon.cacheKey() != m_shownIconKey || m_icon.isNull() != m_tray->icon().isNull()) {
        m_tray->setIcon(m_icon);
        m_shownIconKey = m_icon.cacheKey();
        ++m_updateCount;
    }
    // Host names in the hint come from the store and the network.
    const QString tip = PlainText::toolTip(tipFor(m_hint, m_showHint));
    if (tip != m_tray->toolTip()) {
        m_tray->setToolTip(tip);
        ++m_updateCount;
    }
}

void TCoolTrayIcon::setCycleIcons(bool cycle)
{
    m_cycleIcons = cycle;
    applyCycleIcons();
}

void TCoolTrayIcon::setCycleInterval(std::uint32_t milliseconds)
{
    if (milliseconds == m_cycleInterval)
        return;
    m_cycleInterval = milliseconds;
    applyCycleIcons();
}

void TCoolTrayIcon::applyCycleIcons()
{
    if (!m_cycleIcons) {
        m_cycleTimer->stop();
        return;
    }
    setIconIndex(0);
    m_cycleTimer->setInterval(static_cast<int>(std::min<std::uint32_t>(m_cycleInterval, INT_MAX)));
    m_cycleTimer->start();
}

void TCoolTrayIcon::cycleStep()
{
    if (!m_cycleIcons || !m_hasIconList || m_iconList.isEmpty())
        return;
    setIcon(m_iconList.at(m_iconIndex));
    const int next = m_iconIndex + 1;
    setIconIndex(next >= m_iconList.size() ? 0 : next);
}

void TCoolTrayIcon::loaded()
{
    if (m_owner) {
        bool showMainForm = true;
        if (OnStartup)
            OnStartup(this, showMainForm);
        if (!showMainForm)
            hideMainWindow();
    }
    modifyIcon();
    setIconVisible(m_iconVisible);
    applyCycleIcons();
}

void TCoolTrayIcon::handleTrayAvailability(bool available)
{
    const bool appeared = available && !m_trayAvailable;
    m_trayAvailable = available;
    if (appeared && m_iconVisible)
        showIcon();
}

void TCoolTrayIcon::handleActivation(QSystemTrayIcon::ActivationReason reason)
{
    if (!m_enabled)
        return;
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        leftDown();
        leftUp();
        break;
    case QSystemTrayIcon::DoubleClick:
        leftDoubleClick();
        mouseUp(mbLeft);
        break;
    case QSystemTrayIcon::Context:
        mouseDown(mbRight);
        showPopupMenu();
        mouseUp(mbRight);
        break;
    case QSystemTrayIcon::MiddleClick:
        mouseDown(mbMiddle);
        mouseUp(mbMiddle);
        break;
    default:
        break;
    }
}

void TCoolTrayIcon::leftDown()
{
    // With a double-click handler a single click has to wait until no
    // second click can follow.
    if (OnDblClick) {
        m_clickTimer->setInterval(QApplication::doubleClickInterval());
        m_clickTimer->start();
    }
    mouseDown(mbLeft);
    m_clickInProgress = true;
    if (m_leftPopup)
        showPopupMenu();
}

void TCoolTrayIcon::leftUp()
{
    if (m_clickInProgress) {
        m_clickReady = true;
        if (!m_clickTimer->enabled()) {
            m_clickInProgress = false;
            m_clickReady = false;
            if (OnClick)
                OnClick(this);
        }
    }
    m_clickInProgress = false;
    mouseUp(mbLeft);
}

void TCoolTrayIcon::leftDoubleClick()
{
    m_clickReady = false;
    m_doubleClicked = true;
    if (OnDblClick)
        OnDblClick(this);
    if (m_popupMenu && !m_leftPopup) {
        if (QAction* action = m_popupMenu->defaultAction())
            action->trigger();
    }
}

void TCoolTrayIcon::clickTimerStep()
{
    m_clickTimer->stop();
    const bool click = m_clickReady && !m_doubleClicked;
    m_clickReady = false;
    m_doubleClicked = false;
    if (click && m_enabled && OnClick)
        OnClick(this);
}

void TCoolTrayIcon::showPopupMenu()
{
    if (m_popupMenu)
        m_popupMenu->popup(QCursor::pos());
}

void TCoolTrayIcon::mouseDown(TMouseButton button)
{
    if (OnMouseDown) {
        const QPoint pos = QCursor::pos();
        OnMouseDown(this, button, QGuiApplication::keyboardModifiers(), pos.x(), pos.y());
    }
}

void TCoolTrayIcon::mouseUp(TMouseButton button)
{
    if (OnMouseUp) {
        const QPoint pos = QCursor::pos();
        OnMouseUp(this, button, QGuiApplication::keyboardModifiers(), pos.x(), pos.y());
    }
}

void TCoolTrayIcon::hideMainWindow()
{
    if (m_owner)
        m_owner->hide();
}

void TCoolTrayIcon::doMinimizeToTray()
{
    hideMainWindow();
    showIcon();
}

bool TCoolTrayIcon::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_owner && event->type() == QEvent::WindowStateChange && m_minimizeToTray &&
        m_owner->isMinimized()) {
        if (OnMinimizeToTray)
            OnMinimizeToTray(this);
        // Hiding a window inside its own state change confuses some window
        // managers; do it once the change is through.
        QMetaObject::invokeMethod(this, &TCoolTrayIcon::doMinimizeToTray, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}
