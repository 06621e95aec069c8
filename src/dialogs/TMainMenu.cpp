#include "TMainMenu.h"

#include "OffThreadDeviceNetwork.h"

#include "ApplicationReport.h"
#include "DeviceDiscovery.h"
#include "DeviceInfoBox.h"
#include "DialogChoosers.h"
#include "DialogMessages.h"
#include "IMainWindowHost.h"
#include "ProjectLinks.h"
#include "SensorPollV2c.h"
#include "WaitBox.h"
#include "frmHostConfig.h"
#include "frmOptions.h"
#include "srcGeneral.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

#include <cctype>
#include <ctime>
#include <exception>
#include <langinfo.h>

namespace {
const char* const kLineBreak = "\n\r";
}

TMainMenu::TMainMenu(IMainWindowHost& host, std::shared_ptr<IDeviceNetwork> network,
                     QObject* parent)
    : QObject(parent), m_host(host),
      // The dialogs wait for agents on a network thread, so the window and
      // the dialog stay painted and answer the user meanwhile.
      m_network(std::make_shared<OffThreadDeviceNetwork>(network ? std::move(network)
                                                                 : defaultDeviceNetwork())),
      m_menu(std::make_unique<QMenu>())
{
    m_menu->setObjectName(QStringLiteral("PopupMenu"));
    addItem("About1", "About...", "Ctrl+A", &TMainMenu::About1Click);
    addItem("VisitTravimetraonline1", "Visit Travimetra on-line...", nullptr,
            &TMainMenu::VisitTravimetraonline1Click);
    addItem("Sendemailtothedeveloper1", "Send e-mail to the developer...", nullptr,
            &TMainMenu::Sendemailtothedeveloper1Click);
    addItem("Donate1", "Donate...", nullptr, &TMainMenu::Donate1Click);
    m_menu->addSeparator()->setObjectName(QStringLiteral("N1"));
    addItem("Options1", "Configuration / Options...", "Ctrl+O", &TMainMenu::Options1Click);
    addItem("Showrouterinformation1", "Show first SNMP device information", "Ctrl+I",
            &TMainMenu::Showrouterinformation1Click);
    addItem("Usage1", "Usage...", nullptr, &TMainMenu::Usage1Click);
    addItem("EnableDisableMonitor1", "Deactivate Monitor", "Ctrl+S",
            &TMainMenu::EnableDisableMonitor1Click);
    m_menu->addSeparator()->setObjectName(QStringLiteral("N2"));
    QAction* onTop =
        addItem("AlwaysOnTop1", "Always on top", nullptr, &TMainMenu::AlwaysOnTop1Click);
    onTop->setCheckable(true);
    onTop->setChecked(true);
    addItem("BringToFront1", "Bring To Front", nullptr, &TMainMenu::BringToFront1Click);
    addItem("Minimizetotray1", "Minimize to tray", "Ctrl+M", &TMainMenu::Minimizetotray1Click);
    addItem("Exit1", "Exit", "Alt+F4", &TMainMenu::Exit1Click);
}

TMainMenu::~TMainMenu() = default;

QAction* TMainMenu::addItem(const char* name, const char* caption, const char* shortcut,
                            void (TMainMenu::*handler)())
{
    QAction* item = m_menu->addAction(QString::fromLatin1(caption));
    item->setObjectName(QString::fromLatin1(name));
    if (shortcut)
        item->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
    // The check mark of "Always on top" follows the setting, not the click.
    connect(item, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return item;
}

TOptionsForm* TMainMenu::optionsForm() const
{
    return m_options;
}

QAction* TMainMenu::action(const char* name) const
{
    for (QAction* item : m_menu->actions()) {
        if (item->objectName() == QLatin1String(name))
            return item;
    }
    return nullptr;
}

void TMainMenu::attachTo(QWidget* window)
{
    window->addActions(m_menu->actions());
    window->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(window, &QWidget::customContextMenuRequested, this,
            [this, window](const QPoint& pos) { m_menu->popup(window->mapToGlobal(pos)); });
    // A right click on any child (graph, scale, label, latency bar) comes up
    // to the window as this event before it becomes the signal above. Its
    // screen position is the pointer's as the X server reported it: under a
    // window manager the window's own idea of where it is can lag behind a
    // move, and a position mapped from it would open the menu elsewhere.
    window->installEventFilter(this);
}

bool TMainMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ContextMenu) {
        const auto* request = static_cast<QContextMenuEvent*>(event);
        m_menu->popup(request->globalPos());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// ---- About and the web items -------------------------------------------------------

std::string TMainMenu::aboutText(const std::string& version, const std::string& year)
{
    return std::string("Travimetra   [ver. ") + version + "]" + kLineBreak + kLineBreak +
           "Travimetra was developed by Ambrisk to easily monitor your network and various "
           "devices in it." +
           kLineBreak + kLineBreak + "(C) 2006-" + year + " Ambrisk - " +
           ProjectLinks::kProductPage + " - " + ProjectLinks::kDeveloperAddress;
}

std::string TMainMenu::currentYear()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[128] = {};
    const std::size_t length = std::strftime(buffer, sizeof buffer, nl_langinfo(D_FMT), &local);
    std::string date(buffer, length);
    if (date.size() >= 4) {
        std::string year = date.substr(date.size() - 4);
        bool digits = true;
        for (char c : year)
            digits = digits && std::isdigit(static_cast<unsigned char>(c));
        if (digits)
            return year;
    }
    // A short date with a two-digit year (the C locale's) would name no year.
    const std::size_t yearLength = std::strftime(buffer, sizeof buffer, "%Y", &local);
    return std::string(buffer, yearLength);
}

void TMainMenu::About1Click()
{
    LoadVersionInfo(QCoreApplication::applicationFilePath().toStdString());
    DialogMessages::information(
        QString::fromStdString(aboutText(GetVersionValue("FileVersion"), currentYear())));
}

void TMainMenu::VisitTravimetraonline1Click()
{
    DialogChoosers::openUrl(QUrl(QString::fromLatin1(ProjectLinks::kProductPage)));
}

void TMainMenu::Sendemailtothedeveloper1Click()
{
    DialogChoosers::openUrl(QUrl(QStringLiteral("mailto:") +
                                 QString::fromLatin1(ProjectLinks::kDeveloperAddress) +
                                 QStringLiteral("?subject=Travimetra")));
}

void TMainMenu::Donate1Click()
{
    DialogChoosers::openUrl(QUrl(QString::fromLatin1(ProjectLinks::kDonationPage)));
}

// ---- configuration --------------------------------------------------------------------

void TMainMenu::Options1Click()
{
    if (m_options)
        return;
    auto form = std::make_unique<TOptionsForm>(m_host, m_network, m_host.hostWidget());
    m_options = form.get();
    form->exec();
    form.reset();
    m_options = nullptr;
}

void TMainMenu::Showrouterinformation1Click()
{
    const TMonitorSettings& s = m_host.settings();
    if (s.Sensors.empty())
        return;
    // Asked the way the sensor is polled. A copy: the settings may change
    // while the agent is waited for.
    const TSensorRecord& sensor = s.Sensors.front();
    const DeviceAgent agent{sensor.HostIP, sensor.Community, sensor.SnmpVersion};
    DeviceDiscovery discovery(*m_network, [user = sensor.V3] { return user; });
    DeviceInfo info;
    {
        WaitBox wait(m_host.hostWidget(), [&discovery] { discovery.cancel(); });
        info = discovery.info(agent);
    }
    // The user stopped waiting: nothing more to say.
    if (!discovery.cancelled())
        showDeviceInfo(info, agent.host);
}

void TMainMenu::Usage1Click()
{
    m_host.showUsageWindow();
}

// ---- monitor and window ---------------------------------------------------------------

void TMainMenu::EnableDisableMonitor1Click()
{
    QAction* item = action("EnableDisableMonitor1");
    if (m_host.masterTimerEnabled()) {
        item->setText(QStringLiteral("Activate Monitor"));
        m_host.setMasterTimerEnabled(false);
        m_host.setRateLabels("", "Monitor is deactivated");
    } else {
        item->setText(QStringLiteral("Deactivate Monitor"));
        m_host.setMasterTimerEnabled(true);
        m_host.setRateLabels("Monitor is activated", "");
    }
}

void TMainMenu::AlwaysOnTopCheck()
{
    m_host.AlwaysOnTopCheck();
    action("AlwaysOnTop1")->setChecked(m_host.settings().AlwaysOnTop);
}

void TMainMenu::AlwaysOnTop1Click()
{
    TMonitorSettings& s = m_host.settings();
    s.AlwaysOnTop = !s.AlwaysOnTop;
    AlwaysOnTopCheck();
}

void TMainMenu::BringToFront1Click()
{
    m_host.bringWindowToFront();
    // The innermost open dialog ends on top.
    if (m_options) {
        m_options->raise();
        m_options->activateWindow();
        if (THostConfigForm* device = m_options->hostConfigForm()) {
            device->raise();
            device->activateWindow();
        }
    }
}

void TMainMenu::Minimizetotray1Click()
{
    m_host.minimizeToTray();
}

void TMainMenu::Exit1Click()
{
    m_host.quitApplication();
}

void TMainMenu::ShutdownBTClick()
{
    if (m_host.settings().XAction == TXAction::MinimizeToTray)
        Minimizetotray1Click();
    else
        Exit1Click();
}

void TMainMenu::TrayIconClick()
{
    m_host.restoreFromTray();
}

void TMainMenu::FormActivate()
{
    // Only the first activation counts: closing the options dialog activates
    // the window again, which would open the dialog without end.
    if (m_activated)
        return;
    m_activated = true;
    if (!m_host.settings().FirstRun)
        return;
    try {
        m_host.loadSettings();
    } catch (...) {
        ApplicationReport::reportCurrentException();
    }
    if (!m_options)
        Options1Click();
}
