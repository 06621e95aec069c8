#pragma once

#include "UsageKeeper.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QWidget;
class TUsageDatabase;
class TUsageWindow;

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

    // Opens (or raises) the usage window: not modal, it does not stop the
    // poll. A history that could not be opened is told instead.
    void showWindow(const TMonitorSettings& model, QWidget* parent);
    TUsageWindow* window() const;

private:
    // The history read beside another program that writes it, for the window.
    std::unique_ptr<TUsageDatabase> m_readOnly;
    QPointer<TUsageWindow> m_window;
};
