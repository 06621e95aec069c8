// The main window's timers: the poll pass and what it shows, the latency
// sensor, the external address and the traffic log.
#include "frmMain.h"

#include "ApplicationReport.h"
#include "AppliedPoll.h"
#include "ExternalAddress.h"
#include "LatencyDisplay.h"
#include "MetricsEndpoint.h"
#include "NetworkJobs.h"
#include "SensorGraphSet.h"
#include "SensorPoll.h"
#include "SensorPresenter.h"
#include "StripLook.h"
#include "TSensorControls.h"
#include "TVrLevelBar.h"
#include "TVrTimer.h"
#include "TrafficLog.h"
#include "UsageWiring.h"

#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <chrono>

namespace {

using StripLook::kLabelFontPixels;
using StripLook::kLabelHeight;
using StripLook::setColors;
using StripLook::setLabelText;
using StripLook::tahoma;

} // namespace

// ---- the poll ---------------------------------------------------------------

void TMainForm::MasterTimerTimer()
{
    UpdateAllMonitors();
}

void TMainForm::keepFirstWait()
{
    // The master timer has waited for its first tick since the window was
    // loaded; the period set now restarts that wait, which would put the
    // first graph point a whole Interval after start. The first pass still
    // comes one second after loading (if nothing has polled by then), and
    // the ticks follow every Interval from there. A period of 0 polls not
    // at all, as before.
    if (!m_loadedAt.isValid() || m_masterTimer->interval() == kFirstWait ||
        m_masterTimer->interval() == 0)
        return;
    const qint64 left = std::max<qint64>(0, kFirstWait - m_loadedAt.elapsed());
    const unsigned passes = m_passesStarted;
    QTimer::singleShot(std::chrono::milliseconds(left), this, [this, passes] {
        if (passes != m_passesStarted || !m_masterTimer->enabled() ||
            m_masterTimer->interval() == 0)
            return;
        m_masterTimer->setEnabled(false); // the next tick one Interval from now
        m_masterTimer->setEnabled(true);
        MasterTimerTimer();
    });
}

void TMainForm::UpdateAllMonitors()
{
    ++m_passesStarted;
    m_masterTimer->setInterval(pollPeriod(m_settings.Interval));
    // Counters read for a layout that is rebuilt meanwhile would start the
    // new graphs from foreign baselines: such readings are dropped. Sensors
    // come back as their agents answer (see NetworkJobs::startPass); the
    // tray hint is rebuilt once for each lot applied.
    std::vector<SensorPoll::TSensorTarget> targets = SensorPoll::passTargets(m_settings);
    if (targets.empty()) {
        showHintLines(); // nothing to poll: only the reset text
        return;
    }
    m_jobs->startPass(std::move(targets),
                      [this, generation = m_layoutGeneration](
                          const std::vector<SensorPoll::TSensorReading>& readings) {
                          if (generation != m_layoutGeneration)
                              return;
                          for (const SensorPoll::TSensorReading& reading : readings)
                              UpdDeviceTimers(reading.index, reading);
                          showHintLines();
                          m_usage->afterPass();
                      });
}

void TMainForm::showHintLines()
{
    std::string hint = SensorPoll::kHintReset;
    for (const auto& [index, line] : m_hintLines)
        hint += "\n\r" + line;
    setTrayHint(hint);
}

void TMainForm::UpdDeviceTimers(int index, const SensorPoll::TSensorReading& reading)
{
    const AppliedPoll::TSinks sinks{*m_usage, &m_metrics->board(), [](const std::string& text) {
                                        ApplicationReport::report(QString::fromStdString(text));
                                    }};
    const auto applied =
        AppliedPoll::apply(m_settings, index, reading, m_jobs->takeReadSeconds(index), sinks);
    if (!applied)
        return;
    const SensorPoll::TPollResult& result = *applied;
    TSensorRecord& sensor = m_settings.Sensors[std::size_t(index)];
    const int32_t down = SensorPoll::roundRate(result.downRate);
    const int32_t up = SensorPoll::roundRate(result.upRate);
    if (TSensorControls* c = sensor.Controls.get()) {
        if (const auto tip = SensorPoll::titleToolTip(result); tip && c->TitleLabel)
            c->TitleLabel->setToolTip(QString::fromStdString(*tip));
        setLabelText(c->DownLabel, result.downText);
        setLabelText(c->UpLabel, result.upText);
        // The grown maximum is the highest rate in bytes per second.
        if (result.newMaximum)
            SensorGraphSet::growLive(*c, *result.newMaximum, presenter());
        if (c->Scope && result.pinged) {
            // Both samples of a poll in one drawing of the graph.
            c->Scope->beginUpdate();
            c->Scope->pushValue(1, up);
            c->Scope->pushValue(0, down);
            c->Scope->endUpdate();
        }
    }
    if (!result.pinged) {
        m_hintLines.erase(index);
        return;
    }
    m_hintLines[index] =
        SensorPresenter::hintLine(sensor, result.downText, result.upText, result.failure);
    if (index == 0)
        UpdateTrayIcon(down, up);
}

// ---------------------------------------------------------------------------
// The auxiliary sensors and the traffic log.

void TMainForm::setUpExternalAddressRow()
{
    constexpr TColor kBlue = 0xFF0000;
    m_label1->setFont(tahoma(kLabelFontPixels));
    setColors(m_label1, kBlue, m_settings.BackColor);
    m_label1->setAutoFillBackground(false);
    m_label1->setGeometry(8, 0, 0, kLabelHeight);
    setLabelText(m_label1, "External IP Address :");
    m_extIPAddLBL->setFont(tahoma(kLabelFontPixels, true));
    setColors(m_extIPAddLBL, kBlue, m_settings.BackColor);
    m_extIPAddLBL->setAutoFillBackground(false);
    m_extIPAddLBL->setGeometry(117, 0, 0, kLabelHeight);
    setLabelText(m_extIPAddLBL, ExternalAddress::kInitialCaption);
}

void TMainForm::LatencyTimerTimer()
{
    m_jobs->ping(m_network, m_settings.LatencyHost, [this](int roundTrip) {
        const LatencyDisplay::TLatencyView view = LatencyDisplay::latencyView(roundTrip);
        m_latencyBar->setPosition(view.position);
        setColors(m_latencyLBL, view.color, m_settings.BackColor);
        setLabelText(m_latencyLBL, view.caption);
    });
}

void TMainForm::LogTimerTimer()
{
    m_jobs->logTick(m_settings, m_logIO, [this](TrafficLog::TDetachedTick tick) {
        TrafficLog::keepLogged(m_settings, tick.settings);
        if (!tick.report.empty())
            ApplicationReport::report(QString::fromStdString(tick.report));
    });
}

void TMainForm::ExteIPTimerTimer()
{
    m_jobs->fetchLines(m_externalAddressUrl, ExternalAddress::kRequestDeadline,
                       [this](bool ok, const std::vector<std::string>& lines) {
                           if (const auto caption = ExternalAddress::captionFromAnswer(ok, lines))
                               setLabelText(m_extIPAddLBL, *caption);
                       });
}
