#pragma once

#include "UsageKeeper.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QWidget;
class TUsageDatabase;
class TUsageWindow;
class TVrScale;

// The main window's side of the usage history: what every monitor keeps
// (UsageKeeper), the scales shown in the chosen rate unit and the usage
// window opened from the menu.
class UsageWiring : public UsageKeeper
{
public:
    using Tell = std::function<void(const QString& text)>;

    // See UsageKeeper.
    UsageWiring(const std::string& databasePath, Tell tell, Clock now = {}, Clock steady = {});
    ~UsageWiring() override;

    // The scale's labels in the chosen unit; the digits the scale always
    // showed for the default unit. `bytesPerScaleUnit` says what one step of
    // the scale's own numbers is: a kibibyte per second as laid out, a byte
    // per second once a live sensor has grown it to its highest rate.
    void formatScale(TVrScale& scale, double bytesPerScaleUnit = 1024.0) const;

    // Opens (or raises) the usage window: not modal, it does not stop the
    // poll. A history that could not be opened is told instead.
    void showWindow(const TMonitorSettings& model, QWidget* parent);
    TUsageWindow* window() const;

private:
    // The history read beside another program that writes it, for the window.
    std::unique_ptr<TUsageDatabase> m_readOnly;
    QPointer<TUsageWindow> m_window;
};
