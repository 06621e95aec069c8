#pragma once

#include "IDeviceNetwork.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <string>

class IMainWindowHost;
class QAction;
class QMenu;
class QWidget;
class TOptionsForm;

// The main window's popup menu and the window behaviour behind it: About, the
// web items, the options dialog, the device information box, activating and
// deactivating the monitor, always on top, bring to front, the tray, exit,
// the "X" button and the first-run activation. The window hosts it.
class TMainMenu : public QObject
{
    Q_OBJECT

public:
    // network: what the device information box and the device dialog talk
    // to; the real agents when empty.
    explicit TMainMenu(IMainWindowHost& host, std::shared_ptr<IDeviceNetwork> network = {},
                       QObject* parent = nullptr);
    ~TMainMenu() override;

    QMenu* popupMenu() const { return m_menu.get(); }
    // The item of that name ("About1", "EnableDisableMonitor1", ...).
    QAction* action(const char* name) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // Gives the window the menu: right-click anywhere on it opens the menu
    // at the pointer, and the shortcuts work while it is active.
    void attachTo(QWidget* window);

    // The open options dialog, if any.
    TOptionsForm* optionsForm() const;

    // The About box's text for a version and a year.
    static std::string aboutText(const std::string& version, const std::string& year);
    // The last four characters of today's date in the user's short date
    // format, or the four-digit year when those are not a year.
    static std::string currentYear();

    // Handlers.
    void About1Click();
    void VisitTravimetraonline1Click();
    void Sendemailtothedeveloper1Click();
    void Donate1Click();
    void Options1Click();
    void Showrouterinformation1Click();
    void Usage1Click();
    void EnableDisableMonitor1Click();
    void AlwaysOnTop1Click();
    void BringToFront1Click();
    void Minimizetotray1Click();
    void Exit1Click();
    void ShutdownBTClick();
    void TrayIconClick();
    void FormActivate();
    // Applies AlwaysOnTop to the window and sets the item's check mark.
    void AlwaysOnTopCheck();

private:
    QAction* addItem(const char* name, const char* caption, const char* shortcut,
                     void (TMainMenu::*handler)());

    IMainWindowHost& m_host;
    std::shared_ptr<IDeviceNetwork> m_network;
    std::unique_ptr<QMenu> m_menu;
    QPointer<TOptionsForm> m_options;
    bool m_activated = false;
};
