// The main window as a window: tray, dragging, window events and what the
// options dialog, the menu and the window logic ask of it.
#include "frmMain.h"

#include "ApplicationQuit.h"
#include "MetricsEndpoint.h"
#include "SensorPresenter.h"
#include "ShellWindowStates.h"
#include "StripLook.h"
#include "TCoolTrayIcon.h"
#include "TMainMenu.h"
#include "TSensorControls.h"
#include "TVrTimer.h"
#include "UsageWiring.h"
#include "WindowScaling.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {

using StripLook::setLabelText;

} // namespace

// ---- tray and window ----------------------------------------------------------

void TMainForm::setTrayHint(const std::string& hint)
{
    m_trayHint = hint;
    m_trayIcon->setHint(QString::fromStdString(hint));
}

void TMainForm::UpdateTrayIcon(std::int32_t downRate, std::int32_t upRate)
{
    m_trayIcon->setIconIndex(SensorPresenter::trayIconIndex(
        downRate, upRate, m_settings.TrayDownSpeed, m_settings.TrayUpSpeed));
}

void TMainForm::AlwaysOnTopCheck()
{
    const bool onTop = m_settings.AlwaysOnTop;
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    // Changing the flags hides a shown window.
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible)
        show();
}

void TMainForm::ShutdownBTClick()
{
    m_menu->ShutdownBTClick();
}

void TMainForm::TrayIconClick()
{
    showNormal();
    raise();
    activateWindow();
}

void TMainForm::applyOpacity()
{
    if (m_alphaBlend)
        setWindowOpacity(std::clamp(m_alpha, 0, 255) / 255.0);
}

// ---- dragging -----------------------------------------------------------------

void TMainForm::FormMouseDown(const QPoint& globalPosition)
{
    // The window manager moves the window if it can; otherwise follow the
    // mouse by hand until the button is released.
    m_dragging = false;
    if (QWindow* handle = windowHandle(); handle && handle->startSystemMove())
        return;
    m_dragging = true;
    m_dragOffset = globalPosition - pos();
}

void TMainForm::dragTo(const QPoint& globalPosition)
{
    if (m_dragging)
        move(globalPosition - m_dragOffset);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        // The left button drags; the right one is left to open the menu (a
        // window manager's move would swallow its click).
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() != Qt::LeftButton)
            break;
        FormMouseDown(press->globalPosition().toPoint());
        return true;
    }
    case QEvent::MouseMove:
        if (m_dragging) {
            dragTo(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (m_dragging) {
            m_dragging = false;
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        FormMouseDown(event->globalPosition().toPoint());
}

void TMainForm::mouseMoveEvent(QMouseEvent* event)
{
    dragTo(event->globalPosition().toPoint());
}

void TMainForm::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
}

// ---- IMonitorWindow -------------------------------------------------------------

int TMainForm::windowTop() const
{
    return y();
}

int TMainForm::windowLeft() const
{
    // The place of the first column: further columns reach to its left.
    return x() + m_firstColumnOffset;
}

void TMainForm::setWindowTop(int top)
{
    move(x(), top);
}

void TMainForm::setWindowLeft(int left)
{
    move(left - m_firstColumnOffset, y());
}

int TMainForm::windowWidth() const
{
    return width();
}

int TMainForm::windowHeight() const
{
    return height();
}

int TMainForm::workAreaHeight() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().height() : 0;
}

int TMainForm::firstMonitorWidth() const
{
    const auto screens = QGuiApplication::screens();
    return screens.isEmpty() ? 0 : screens.first()->geometry().width();
}

void TMainForm::setAlphaBlendValue(int alpha)
{
    m_alpha = alpha;
    applyOpacity();
}

int TMainForm::latencyInterval() const
{
    return static_cast<int>(
        std::min<std::uint32_t>(m_latencyTimer->interval(), std::numeric_limits<int>::max()));
}

void TMainForm::setLatencyInterval(int milliseconds)
{
    m_latencyTimer->setInterval(static_cast<std::uint32_t>(std::max(0, milliseconds)));
}

// ---- IMainWindowHost: what the options dialog and the menu use ---------------------

bool TMainForm::masterTimerEnabled() const
{
    return m_masterTimer->enabled();
}

void TMainForm::setMasterTimerEnabled(bool enabled)
{
    m_masterTimer->setEnabled(enabled);
}

void TMainForm::setMasterTimerInterval(std::uint32_t milliseconds)
{
    m_masterTimer->setInterval(milliseconds);
}

void TMainForm::scaleWindowBy(int m, int d)
{
    if (m <= 0 || d <= 0)
        return;
    WindowScaling::scaleBy(this, m, d);
    // The next layout undoes the scale in force now.
    m_appliedScale = WindowScaling::mulDiv(m_appliedScale, m, d);
    m_firstColumnOffset = WindowScaling::mulDiv(m_firstColumnOffset, m, d);
    // A strip grown at the screen's edge would reach past it.
    keepOnScreen();
}

void TMainForm::setRateLabels(const std::string& downText, const std::string& upText)
{
    for (const TSensorRecord& sensor : m_settings.Sensors) {
        if (!sensor.Controls)
            continue;
        setLabelText(sensor.Controls->DownLabel, downText);
        setLabelText(sensor.Controls->UpLabel, upText);
    }
}

TUsageSettings& TMainForm::usageSettings()
{
    return m_usage->settings();
}

TMetricsSettings* TMainForm::metricsSettings()
{
    return &m_metrics->settings();
}

void TMainForm::showUsageWindow()
{
    m_usage->showWindow(m_settings, this);
}

void TMainForm::minimizeToTray()
{
    m_trayIcon->doMinimizeToTray();
}

void TMainForm::restoreFromTray()
{
    TrayIconClick();
}

void TMainForm::bringWindowToFront()
{
    show();
    raise();
    activateWindow();
}

void TMainForm::quitApplication()
{
    ApplicationQuit::request();
}

void TMainForm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        m_menu->FormActivate();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // Alt+F4, the window manager's close and the end of a session all ask
    // the strip to close: that is "Exit", which saves the settings and ends
    // the program, never a hidden window of a program that runs on.
    event->ignore();
    m_menu->Exit1Click();
}

void TMainForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Before the window is mapped: no task-bar or pager entry, and above
    // the others as the setting says, after every hide (tray, new flags).
    ShellWindowStates::apply(this, m_settings.AlwaysOnTop);
    // Not every window manager activates a tool window when it appears (and
    // without one nothing does): its first showing counts as the first
    // activation. The menu acts on the first of the two only.
    QTimer::singleShot(0, this, [this] { m_menu->FormActivate(); });
}
