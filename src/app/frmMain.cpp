#include "frmMain.h"

#include "ApplicationReport.h"
#include "DesktopKeyring.h"
#include "DialogMessages.h"
#include "ExternalAddress.h"
#include "InstanceLock.h"
#include "LocalePlatform.h"
#include "LogTimerPeriod.h"
#include "MessageBoxes.h"
#include "MetricsEndpoint.h"
#include "MonitorStore.h"
#include "NetworkJobs.h"
#include "PlainText.h"
#include "Platform.h"
#include "PollFigures.h"
#include "RegStoreFile.h"
#include "ScreenPlacement.h"
#include "SensorGraphSet.h"
#include "SensorNetworkLogIO.h"
#include "SensorPasswordKeeper.h"
#include "SensorPoll.h"
#include "SensorPresenter.h"
#include "SnmpSensorStore.h"
#include "StripLayout.h"
#include "StripLook.h"
#include "TCoolTrayIcon.h"
#include "TMainMenu.h"
#include "TSensorControls.h"
#include "TVrLevelBar.h"
#include "TVrTimer.h"
#include "TrayImages.h"
#include "UsagePaths.h"
#include "UsageWiring.h"
#include "VrColor.h"
#include "WindowScaling.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr TColor kLatencyTextColor = 0x808080;
// How often a locked keyring is looked at again (without asking anything).
constexpr int kKeyringRetryMs = 10000;

using StripLook::kButtonFontPixels;
using StripLook::kLabelFontPixels;
using StripLook::kWindowFontPixels;
using StripLook::setColors;
using StripLook::setLabelText;
using StripLook::tahoma;

// Start-up refusal: the one place where the program ends without saving.
[[noreturn]] void endAtOnce()
{
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace

TMainForm::TMainForm(Options options, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      m_network(std::move(options.network))
{
    if (!m_network)
        throw std::invalid_argument("TMainForm needs a sensor network");
    m_logIO = std::make_shared<SensorNetworkLogIO>(m_network);
    m_jobs = std::make_unique<NetworkJobs>(this, m_network, options.networkThreads);
    m_passwords = std::make_unique<SensorPasswordKeeper>(
        options.keyring ? options.keyring : std::make_shared<DesktopKeyring>(),
        SensorPasswordKeeper::defaultFilePath(), [](const std::string& question) {
            return DialogMessages::confirm(QString::fromStdString(question));
        });
    // Passwords a locked keyring kept back are read once the user unlocked it.
    auto* unlockedYet = new QTimer(this);
    connect(unlockedYet, &QTimer::timeout, this, [this] { m_passwords->retryLocked(); });
    unlockedYet->start(kKeyringRetryMs);
    m_externalAddressUrl = options.externalAddressUrl.empty() ? ExternalAddress::kServiceUrl
                                                              : options.externalAddressUrl;
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Travimetra"));
    setFont(tahoma(kWindowFontPixels));
    resize(StripLayout::kColumnWidth, 380);
    createComponents();
    // Before the settings load, which brings the usage and metrics settings
    // along.
    m_metrics = std::make_unique<MetricsEndpoint>();
    m_usage = std::make_unique<UsageWiring>(
        options.usageDatabase.empty() ? usageDatabasePath() : options.usageDatabase,
        // Told once the window's events run: a notice of the start-up is
        // not lost before the tray icon is there.
        [this](const QString& text) {
            QTimer::singleShot(0, this, [this, text] { m_trayIcon->showMessage(text); });
        },
        std::move(options.wallClock), std::move(options.steadyClock));
    m_usage->setFigures(&m_metrics->board());
    // The popup menu, on the window and on the tray icon; the tray click and
    // the "X" button go through it too.
    m_menu = std::make_unique<TMainMenu>(*this, std::move(options.deviceNetwork));
    m_menu->attachTo(this);
    m_trayIcon->setPopupMenu(m_menu->popupMenu());
    m_trayIcon->OnClick = [this](TCoolTrayIcon*) { m_menu->TrayIconClick(); };
    if (options.startTimers) {
        m_loadedAt.start();
        m_masterTimer->loaded();
        m_logTimer->loaded();
        m_latencyTimer->loaded();
        m_exteIPTimer->loaded();
    } else {
        // A timer without a handler never ticks, whatever its period and
        // Enabled become later (a poll pass sets the master timer's period,
        // which would otherwise start it behind the caller's back).
        for (TVrTimer* timer :
             {m_masterTimer.get(), m_logTimer.get(), m_latencyTimer.get(), m_exteIPTimer.get()})
            timer->setOnTimer(nullptr);
    }
    m_trayIcon->loaded();
    // A monitor unplugged under the window leaves it where nobody sees it.
    connect(qGuiApp, &QGuiApplication::screenRemoved, this,
            [this] { QTimer::singleShot(0, this, [this] { keepOnScreen(); }); });
    FormCreate();
}

TMainForm::~TMainForm()
{
    // Reads still out end now rather than at their time-outs, and nothing
    // they found comes back. No tick may reach a window that is going away;
    // the latency timer's period is still saved below.
    m_jobs->stop();
    for (TVrTimer* timer :
         {m_masterTimer.get(), m_logTimer.get(), m_latencyTimer.get(), m_exteIPTimer.get()}) {
        timer->setEnabled(false);
        timer->setOnTimer(nullptr);
    }
    FormDestroy();
    m_masterTimer.reset();
    m_logTimer.reset();
    m_latencyTimer.reset();
    m_exteIPTimer.reset();
    m_usage.reset();
    m_trayIcon.reset();
}

void TMainForm::createComponents()
{
    const auto timer = [](bool enabled, std::uint32_t interval, std::function<void()> handler) {
        auto t = std::make_unique<TVrTimer>();
        // Every handler only starts work and returns, so the GUI thread's
        // own timers serve: no worker wakes up to hand the tick over.
        t->setTimerType(ttSystem);
        t->setEnabled(enabled);
        t->setInterval(interval);
        t->setOnTimer([handler = std::move(handler)](TVrTimer*) { handler(); });
        return t;
    };
    m_masterTimer = timer(true, 1000, [this] { MasterTimerTimer(); });
    m_logTimer = timer(true, 1000, [this] { LogTimerTimer(); });
    m_latencyTimer = timer(true, 1000, [this] { LatencyTimerTimer(); });
    m_exteIPTimer = timer(false, 10000, [this] { ExteIPTimerTimer(); });

    m_trayIcon = std::make_unique<TCoolTrayIcon>(this);
    m_trayIcon->setIconList(TrayImages::icons());
    m_trayIcon->setIconIndex(0);
    m_trayIcon->setMinimizeToTray(true);
    m_trayIcon->OnClick = [this](TCoolTrayIcon*) { TrayIconClick(); };
    m_trayIcon->setHint(QStringLiteral("Travimetra"));
    m_trayIcon->setIconVisible(true);

    m_shutdownBT = new QPushButton(QStringLiteral("X"), this);
    m_shutdownBT->setObjectName(QStringLiteral("ShutdownBT"));
    m_shutdownBT->setFlat(true);
    m_shutdownBT->setFocusPolicy(Qt::NoFocus);
    m_shutdownBT->setFont(tahoma(kButtonFontPixels, true));
    m_shutdownBT->setStyleSheet(QStringLiteral("QPushButton { color: red; border: none; }"));
    m_shutdownBT->setGeometry(243, 0, 15, 15);
    connect(m_shutdownBT, &QPushButton::clicked, this, [this] { ShutdownBTClick(); });

    m_latencyBar = new TVrLevelBar(this);
    m_latencyBar->setObjectName(QStringLiteral("LatencyBar"));
    m_latencyBar->setOrientation(voHorizontal);
    m_latencyBar->setMaxValue(200);
    m_latencyBar->setPercent1(40);
    m_latencyBar->setPercent2(35);
    // One black frame around the segments, none of the 3-D edges a new bar
    // has.
    m_latencyBar->setBevel(TVrBevel::blackFrame());
    // A reply under a millisecond (position 1 of 200) is less than one
    // segment's share, yet a reply came: the first segment says so.
    m_latencyBar->setLightsFirstSegment(true);
    m_latencyBar->setGeometry(8, 0, 241, 12);
    attachShell(m_latencyBar);

    m_latencyLBL = new QLabel(QStringLiteral("Please wait..."), this);
    m_latencyLBL->setObjectName(QStringLiteral("LatencyLBL"));
    m_latencyLBL->setFont(tahoma(kLabelFontPixels));
    attachShell(m_latencyLBL);

    m_label1 = new QLabel(QStringLiteral("External IP Address :"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_extIPAddLBL = new QLabel(this);
    m_extIPAddLBL->setObjectName(QStringLiteral("ExtIPAddLBL"));
    attachShell(m_label1);
    attachShell(m_extIPAddLBL);
    setUpExternalAddressRow();
    m_label1->hide();
    m_extIPAddLBL->hide();
}

void TMainForm::FormCreate()
{
    m_settings.FirstRun = false;

    // One instance per user, this window or the headless monitor.
    InstanceLock::TTaken instance = InstanceLock::take();
    if (instance.refused) {
        MessageBoxes::error(QString::fromStdString(InstanceLock::refusalText(instance)));
        endAtOnce();
    }
    m_instanceLock = std::move(instance.lock);

    // A store that cannot be written (a read-only or unmakeable configuration
    // folder) is reported, but the window is still built and polls with
    // whatever the load could read; otherwise the one failed write of the
    // start counter would leave an empty window that never monitors.
    try {
        loadSettings();
        countStart();
    } catch (...) {
        ApplicationReport::reportCurrentException();
    }
    tellOfSetAsideStore();
    try {
        m_latencyBar->hide();
        m_latencyLBL->hide();
        UpdateControls();
        QCoreApplication::processEvents();
        UpdateControlProperties();
        m_masterTimer->setInterval(pollPeriod(m_settings.Interval));
        keepFirstWait();
        m_alphaBlend = true;
        applyOpacity();
        m_menu->AlwaysOnTopCheck(); // the window's style and the menu's check mark
        copyTraySpeeds();
        m_laidOut = true;
        keepOnScreen();
    } catch (...) {
        ApplicationReport::reportCurrentException();
    }
}

// A settings file that could not be read whole was moved aside before the
// defaults took its place; the user learns where it went, once, without the
// program waiting for an answer.
void TMainForm::tellOfSetAsideStore()
{
    const std::string text = MonitorStore::setAsideText();
    if (!text.empty())
        MessageBoxes::notice(QString::fromStdString(text));
}

void TMainForm::FormDestroy()
{
    // The minute's octets are in the history before anything else can fail.
    m_usage->flush();
    try {
        saveSettings();
    } catch (...) {
        ApplicationReport::reportCurrentException();
    }
}

void TMainForm::countStart()
{
    int32_t timesRun = 0;
    regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, kSettingsKey, "TimesRun"), timesRun);
    const auto next = static_cast<int32_t>(static_cast<uint32_t>(timesRun) + 1u);
    WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "TimesRun", next, rdInteger);
}

void TMainForm::loadSettings()
{
    MonitorStore::load(storeParts());
    // A reload (the first start's) brings the saved place back.
    if (m_laidOut)
        keepOnScreen();
}

void TMainForm::keepOnScreen()
{
    std::vector<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.push_back(screen->availableGeometry());
    const QPoint place = ScreenPlacement::onScreen(QRect(pos(), size()), areas);
    // Only a real move: the saved place stays as it is otherwise.
    if (place != pos())
        move(place);
}

void TMainForm::saveSettings()
{
    if (const std::string problems = MonitorStore::save(storeParts()); !problems.empty())
        ApplicationReport::report(QString::fromStdString(problems));
}

MonitorStore::TParts TMainForm::storeParts()
{
    return {m_settings, *this, *m_passwords, *m_usage, m_metrics->settings()};
}

void TMainForm::copyTraySpeeds()
{
    // Without a sensor 0 there is no full scale: the tray then shows only
    // idle or busy.
    if (m_settings.Sensors.empty()) {
        m_settings.TrayDownSpeed = 0;
        m_settings.TrayUpSpeed = 0;
        return;
    }
    const TSensorRecord& first = m_settings.Sensors.front();
    m_settings.TrayDownSpeed = static_cast<int32_t>(static_cast<uint64_t>(first.DownSpeed));
    m_settings.TrayUpSpeed = static_cast<int32_t>(static_cast<uint64_t>(first.UpSpeed));
}

// ---- graph sets -------------------------------------------------------------

TSensorControls* TMainForm::sensorControls(int index) const
{
    if (index < 0 || std::size_t(index) >= m_settings.Sensors.size())
        return nullptr;
    return m_settings.Sensors[std::size_t(index)].Controls.get();
}

void TMainForm::attachShell(QWidget* control)
{
    // Every part of the window drags it.
    control->installEventFilter(this);
}

void TMainForm::UpdateControls()
{
    for (TSensorRecord& sensor : m_settings.Sensors) {
        if (!sensor.Active) {
            if (sensor.Controls)
                SensorGraphSet::freeAll(*sensor.Controls);
            continue;
        }
        SensorGraphSet::ensure(sensor.Controls, this,
                               [this](QWidget* control) { attachShell(control); });
    }
}

void TMainForm::DeleteControls()
{
    for (TSensorRecord& sensor : m_settings.Sensors) {
        if (sensor.Active && sensor.Controls)
            SensorGraphSet::freeLabels(*sensor.Controls);
    }
}

SensorPresenter TMainForm::presenter() const
{
    return SensorPresenter(m_usage->unit());
}

int TMainForm::availableDesignHeight(int scale) const
{
    // The screen the strip is on (the first one while it has no place yet).
    const QScreen* screen = QGuiApplication::screenAt(geometry().center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 0;
    return WindowScaling::mulDiv(screen->availableGeometry().height(), 100, scale);
}

void TMainForm::UpdateControlProperties()
{
    if (m_settings.ShowExternalIP) {
        m_label1->move(m_label1->x(), 2);
        m_extIPAddLBL->move(m_extIPAddLBL->x(), 2);
        m_label1->show();
        m_extIPAddLBL->show();
    } else {
        m_label1->hide();
        m_extIPAddLBL->hide();
    }

    // Lay out in design units, then scale once. The scale undone is the one
    // applied last, whatever ScaleSize says by now.
    WindowScaling::scaleBy(this, 100, m_appliedScale);
    m_appliedScale = 100;
    setFont(tahoma(kWindowFontPixels));

    m_shutdownBT->setVisible(m_settings.ShowX);
    Platform::setAutoStart(m_settings.AutoStart,
                           QCoreApplication::applicationFilePath().toStdString());

    m_usage->sensorsChanged(m_settings);
    m_metrics->board().sensorsChanged(PollFigures::labelsOf(m_settings));
    for (const std::string& text : m_metrics->apply())
        ApplicationReport::report(QString::fromStdString(text));
    ++m_layoutGeneration;
    m_hintLines.clear();

    // A scale of 0 % or less would collapse the window for good.
    const int scale = m_settings.ScaleSize > 0 ? m_settings.ScaleSize : 100;
    // Where the first column is on the screen stays where it is, however
    // many columns the strip has now.
    const int firstColumnX = x() + m_firstColumnOffset;
    StripLayout::TStripOptions options;
    options.latencySensor = m_settings.LatencySensor;
    options.availableHeight = availableDesignHeight(scale);
    std::vector<TSensorRecord*> shown;
    for (TSensorRecord& sensor : m_settings.Sensors) {
        if (!sensor.Active || !sensor.Controls)
            continue;
        TSensorControls& c = *sensor.Controls;
        if (!c.TitleLabel || !c.DownLabel || !c.UpLabel || !c.Scope || !c.Scale)
            continue;
        shown.push_back(&sensor);
        options.halfHeight.push_back(sensor.HalfHeight);
    }
    const StripLayout::TStrip strip = StripLayout::layOut(options);
    const SensorGraphSet::TLook look{m_settings.BackColor, m_settings.ShowExtendedInfo};
    const SensorPresenter texts = presenter();
    for (std::size_t i = 0; i < shown.size(); ++i) {
        TSensorRecord& sensor = *shown[i];
        SensorGraphSet::layOut(*sensor.Controls, sensor, strip.sets[i], look, texts);
        SensorPoll::buildCounterOids(sensor);
        sensor.PrevUpCount = 0;
        sensor.PrevDownCount = 0;
    }

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, VrColor::toQColor(m_settings.BackColor));
    setPalette(palette);
    setAutoFillBackground(true);
    m_shutdownBT->raise();

    if (const auto period = LogTimerPeriod::of(m_settings)) {
        m_logTimer->setInterval(*period);
        m_logTimer->setEnabled(true);
    } else {
        m_logTimer->setEnabled(false);
    }

    if (strip.latencyBar && strip.latencyLabel) {
        m_latencyTimer->setEnabled(true);
        m_latencyBar->setGeometry(*strip.latencyBar);
        m_latencyBar->show();
        m_latencyBar->lower();
        m_latencyLBL->setFont(tahoma(kLabelFontPixels));
        setColors(m_latencyLBL, kLatencyTextColor, m_settings.BackColor);
        m_latencyLBL->setGeometry(*strip.latencyLabel);
        setLabelText(m_latencyLBL, "Please wait...");
        m_latencyLBL->show();
        m_latencyLBL->lower();
    } else {
        m_latencyTimer->setEnabled(false);
        m_latencyLBL->hide();
        m_latencyBar->hide();
    }

    resize(strip.window);
    m_shutdownBT->setGeometry(strip.closeButton);
    m_shutdownBT->setFont(tahoma(kButtonFontPixels, true));

    if (scale != 100) {
        WindowScaling::scaleBy(this, scale, 100);
        m_appliedScale = scale;
    }
    m_firstColumnOffset = WindowScaling::mulDiv(strip.firstColumnLeft, scale, 100);
    if (x() + m_firstColumnOffset != firstColumnX)
        move(firstColumnX - m_firstColumnOffset, y());
}
