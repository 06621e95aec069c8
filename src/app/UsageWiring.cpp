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
    : UsageKeeper(
          databasePath,
          [tell = std::move(tell)](const std::string& text) {
              if (tell)
                  tell(QString::fromStdString(text));
          },
          std::move(now), std::move(steady))
{
}

UsageWiring::~UsageWiring()
{
    // The window reads the recorder's database: it goes first.
    delete m_window.data();
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
    TUsageDatabase* db = recorder().isOpen() ? recorder().database() : nullptr;
    if (!db) {
        // Another program records the history (or it cannot be written for
        // now): what it holds can still be shown.
        try {
            m_readOnly = TUsageDatabase::openForReading(recorder().path());
            db = m_readOnly.get();
        } catch (const TUsageDatabaseError&) {
            tell("The usage history could not be opened; usage is not recorded.");
            return;
        }
    }
    m_window = new TUsageWindow(*db, UsageSensors::configs(model, settings()), settings().RateUnit,
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
