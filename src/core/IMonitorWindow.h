#pragma once

// What loading and saving the settings need from the main window: the values
// that live in the window and its latency timer rather than in the model, and
// the screen geometry for the default position.
class IMonitorWindow
{
public:
    virtual ~IMonitorWindow() = default;

    virtual int windowTop() const = 0;
    virtual int windowLeft() const = 0;
    virtual void setWindowTop(int top) = 0;
    virtual void setWindowLeft(int left) = 0;
    virtual int windowWidth() const = 0;
    virtual int windowHeight() const = 0;
    // Height of the work area (the screen less panels) and width of the first
    // monitor: the default position is the bottom right corner.
    virtual int workAreaHeight() const = 0;
    virtual int firstMonitorWidth() const = 0;

    // Opacity, 0 (invisible) to 255 (opaque).
    virtual int alphaBlendValue() const = 0;
    virtual void setAlphaBlendValue(int alpha) = 0;

    // Period of the latency timer in milliseconds.
    virtual int latencyInterval() const = 0;
    virtual void setLatencyInterval(int milliseconds) = 0;
};
