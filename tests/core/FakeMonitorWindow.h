#pragma once

#include "IMonitorWindow.h"

#include <string>
#include <vector>

// A window on a 1920 x 1080 screen with a 1050 pixel high work area, 260 x 380
// pixels itself. Records every change the settings code makes.
class FakeMonitorWindow : public IMonitorWindow
{
public:
    int windowTop() const override { return m_top; }
    int windowLeft() const override { return m_left; }
    void setWindowTop(int top) override
    {
        m_top = top;
        m_calls.push_back("setWindowTop " + std::to_string(top));
    }
    void setWindowLeft(int left) override
    {
        m_left = left;
        m_calls.push_back("setWindowLeft " + std::to_string(left));
    }
    int windowWidth() const override { return 260; }
    int windowHeight() const override { return 380; }
    int workAreaHeight() const override { return 1050; }
    int firstMonitorWidth() const override { return 1920; }
    int alphaBlendValue() const override { return m_alpha; }
    void setAlphaBlendValue(int alpha) override
    {
        m_alpha = alpha;
        m_calls.push_back("setAlphaBlendValue " + std::to_string(alpha));
    }
    int latencyInterval() const override { return m_latency; }
    void setLatencyInterval(int milliseconds) override
    {
        m_latency = milliseconds;
        m_calls.push_back("setLatencyInterval " + std::to_string(milliseconds));
    }

    int m_top = 0;
    int m_left = 0;
    int m_alpha = 255;
    int m_latency = 0;
    std::vector<std::string> m_calls;
};
