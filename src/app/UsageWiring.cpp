#include "UsageWiring.h"

#include "ScreenPlacement.h"
#include "TUsageRecorder.h"
#include "TUsageWindow.h"
#include "UsageDatabaseError.h"
#include "UsageSensors.h"
#include "WindowFrame.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

UsageWiring::UsageWiring(const std::string& databasePath, Tell tell, Clock now, Clock steady)
    : m_tell(std::move(tell)), m_clock(std::move(now), std::move(steady))
{
    m_recorder = std::make_unique<TUsageRecorder>(databasePath, [this](const std::string& text) {
        if (m_tell)
            m_tell(QString::fromStdString(text));
    });
}

UsageWiring::~UsageWiring()
{
    // The window reads the recorder's database: it goes first.
    delete m_window.data();
}

int64_t UsageWiring::now()
{
    return m_clock.now();
}

void UsageWiring::load(const TMonitorSettings& model)
{
    m_settings = UsageSettingsStore::load(model.Sensors.size(), true);
    sensorsChanged(model);
}

void UsageWiring::save() const
{
    UsageSettingsStore::save(m_settings);
}

void UsageWiring::sensorsChanged(const TMonitorSettings& model)
{
    m_settings.Sensors.resize(model.Sensors.size());
    m_recorder->setSensors(UsageSensors::configs(model, m_settings));
}

void UsageWiring::polled(const TMonitorSettings& model, int index,
                         const SensorPoll::TPollResult& result)
{
    if (index < 0 || !UsageSensors::recordsUsage(model, std::size_t(index)))
        return;
    const TSensorRecord& sensor = model.Sensors[std::size_t(index)];
    // A failed ping or any lost or bad reading took the error branch: it has
    // no sample, and the next good one steps from the last good one.
    if (result.pinged && result.replied && result.sample)
        m_recorder->goodPoll(UsageSensors::goodPoll(sensor, *result.sample, now()),
                             SensorPoll::counterSpeeds(sensor));
    else
        m_recorder->errorPoll(UsageSensors::sensorKey(sensor));
}

void UsageWiring::afterPass()
{
    for (const std::string& message : m_recorder->afterPass(now()))
        if (m_tell)
            m_tell(QString::fromStdString(message));
}

void UsageWiring::flush()
{
    m_recorder->flush(now());
}

void UsageWiring::showWindow(const TMonitorSettings& model, QWidget* parent)
{
    // What the last minute gathered belongs in what the window shows.
    flush();
    if (m_window) {
        m_window->refresh();
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
        return;
    }
    TUsageDatabase* db = m_recorder->isOpen() ? m_recorder->database() : nullptr;
    if (!db) {
        // Another program records the history (or it cannot be written for
        // now): what it holds can still be shown.
        try {
            m_readOnly = TUsageDatabase::openForReading(m_recorder->path());
            db = m_readOnly.get();
        } catch (const TUsageDatabaseError&) {
            if (m_tell)
                m_tell(QStringLiteral(
                    "The usage history could not be opened; usage is not recorded."));
            return;
        }
    }
    m_window = new TUsageWindow(*db, UsageSensors::configs(model, m_settings), m_settings.RateUnit,
                                [this] { return now(); });
    m_window->setAttribute(Qt::WA_DeleteOnClose);
    // A window of its own beside the strip, wholly on a screen: without a
    // window manager nobody else would bring it there.
    if (parent) {
        std::vector<QRect> areas;
        for (const QScreen* screen : QGuiApplication::screens())
            areas.push_back(screen->availableGeometry());
        m_window->move(
            ScreenPlacement::beside(parent->frameGeometry(), m_window->size(), 8, areas));
    }
    WindowFrame::keepReachable(m_window);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

TUsageWindow* UsageWiring::window() const
{
    return m_window.data();
}
