#pragma once

#include "IMonitorWindow.h"

// The window's stored values for a monitor that has no window: kept as they
// were loaded, so that a save writes back what the window left there.
class StoredWindowValues : public IMonitorWindow
{
public:
    int windowTop() const override { return m_top; }
    int windowLeft() const override { return m_left; }
    void setWindowTop(int top) override { m_top = top; }
    void setWindowLeft(int left) override { m_left = left; }
    int windowWidth() const override { return 0; }
    int windowHeight() const override { return 0; }
    int workAreaHeight() const override { return 0; }
    int firstMonitorWidth() const override { return 0; }
    int alphaBlendValue() const override { return m_alpha; }
    void setAlphaBlendValue(int alpha) override { m_alpha = alpha; }
    int latencyInterval() const override { return m_latency; }
    void setLatencyInterval(int milliseconds) override { m_latency = milliseconds; }

private:
    int m_top = 0;
    int m_left = 0;
    int m_alpha = 255;
    int m_latency = 1000;
};
