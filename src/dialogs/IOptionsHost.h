#pragma once

#include "MetricsSettings.h"
#include "TMonitorSettings.h"
#include "UsageSettings.h"

#include <cstdint>

class QWidget;

// What the options dialog needs from the main window: the model, the timers
// it stops, sets and restarts, the graph-set rebuild, the store, the opacity
// it previews and the window scale it applies.
class IOptionsHost
{
public:
    virtual ~IOptionsHost() = default;

    // The global settings and the sensor list.
    virtual TMonitorSettings& settings() = 0;
    // The usage settings beside them: the rate unit and one entry per
    // sensor, by index.
    virtual TUsageSettings& usageSettings() = 0;
    // Whether and where the figures are served; none when the host serves
    // nothing (the dialog then has no page for it).
    virtual TMetricsSettings* metricsSettings() { return nullptr; }

    virtual bool masterTimerEnabled() const = 0;
    virtual void setMasterTimerEnabled(bool enabled) = 0;
    virtual void setMasterTimerInterval(std::uint32_t milliseconds) = 0;
    // Period of the latency timer in milliseconds.
    virtual int latencyInterval() const = 0;
    virtual void setLatencyInterval(int milliseconds) = 0;

    // The graph sets: free the labels of every active sensor, create what an
    // active sensor lacks, lay everything out.
    virtual void DeleteControls() = 0;
    virtual void UpdateControls() = 0;
    virtual void UpdateControlProperties() = 0;

    // Writes every setting to the store.
    virtual void saveSettings() = 0;

    // The main window's opacity, 0 to 255.
    virtual int alphaBlendValue() const = 0;
    virtual void setAlphaBlendValue(int alpha) = 0;

    // Scales the main window, its controls and fonts by m / d.
    virtual void scaleWindowBy(int m, int d) = 0;

    // The main window, as the parent of the dialogs; may be null.
    virtual QWidget* hostWidget() = 0;
};
