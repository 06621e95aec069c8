#pragma once

#include <QIcon>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class TSimpleTimer;
class TrayPresence;

enum TMouseButton
{
    mbLeft,
    mbRight,
    mbMiddle
};

// The program's icon in the notification area: image, tool tip, the click
// and menu events the platform delivers, and sending the main window to the
// tray. Every event is ignored while Enabled is False.
//
// Qt reports a left click (Trigger), a double click, a context request and a
// middle click; each becomes the button-down / button-up pair it stands for.
// The platform reports no mouse movement, so there are no move, enter or
// exit events.
class TCoolTrayIcon : public QObject
{
    Q_OBJECT

public:
    using NotifyEvent = std::function<void(TCoolTrayIcon* sender)>;
    using MouseEvent = std::function<void(TCoolTrayIcon* sender, TMouseButton button,
                                          Qt::KeyboardModifiers shift, int x, int y)>;
    using StartupEvent = std::function<void(TCoolTrayIcon* sender, bool& showMainForm)>;

    // The longest tool tip the notification area takes.
    static constexpr int MaxTipLength = 127;

    // owner is the main window that MinimizeToTray hides; it may be null.
    explicit TCoolTrayIcon(QWidget* owner = nullptr);
    ~TCoolTrayIcon() override;

    // The tip shown for a hint: its first 127 characters (carriage returns
    // left out), or nothing when the hint is empty or not to be shown.
    static QString tipFor(const QString& hint, bool showHint);

    const QList<QIcon>& iconList() const { return m_iconList; }
    bool hasIconList() const { return m_hasIconList; }
    // Stores the images and selects image 0.
    void setIconList(const QList<QIcon>& icons);
    void clearIconList();
    int iconIndex() const { return m_iconIndex; }
    // Selects an image of the list, clamped to 0 .. Count - 1.
    void setIconIndex(int index);
    const QIcon& icon() const { return m_icon; }
    void setIcon(const QIcon& icon);

    const QString& hint() const { return m_hint; }
    // The tip as last given to the platform: tip() escaped so that it shows
    // as plain text.
    QString shownTip() const;
    // Keeps the whole text; the tip shows the first 127 characters.
    void setHint(const QString& hint);
    bool showHint() const { return m_showHint; }
    void setShowHint(bool showHint);
    // The text of the tip.
    QString tip() const;

    bool iconVisible() const { return m_iconVisible; }
    // Adds (True) or removes (False) the icon, every time it is set.
    void setIconVisible(bool visible);

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    QMenu* popupMenu() const { return m_popupMenu; }
    // Not owned; cleared when the menu is destroyed.
    void setPopupMenu(QMenu* menu) { m_popupMenu = menu; }
    bool leftPopup() const { return m_leftPopup; }
    void setLeftPopup(bool leftPopup) { m_leftPopup = leftPopup; }
    bool minimizeToTray() const { return m_minimizeToTray; }
    void setMinimizeToTray(bool minimize) { m_minimizeToTray = minimize; }

    bool cycleIcons() const { return m_cycleIcons; }
    void setCycleIcons(bool cycle);
    std::uint32_t cycleInterval() const { return m_cycleInterval; }
    void setCycleInterval(std::uint32_t milliseconds);

    // What a form does after creating the icon: OnStartup, then applying
    // the image, tip, IconVisible and CycleIcons.
    void loaded();

    // Hides the main window and shows the icon.
    void doMinimizeToTray();

    // Times the icon was handed to the notification area.
    int addCount() const { return m_addCount; }
    // Times a new image or tip was handed to the platform's icon.
    int updateCount() const { return m_updateCount; }

    // A desktop notification from the icon, titled "Travimetra"; without a
    // notification area (or with the icon hidden) the text goes to the
    // standard error, so that it is never lost. Never waits for the user.
    void showMessage(const QString& text);

    NotifyEvent OnClick;
    NotifyEvent OnDblClick;
    MouseEvent OnMouseDown;
    MouseEvent OnMouseUp;
    NotifyEvent OnMinimizeToTray;
    StartupEvent OnStartup;

signals:
    // Every text showMessage passed on, wherever it went.
    void messageShown(const QString& text);

public slots:
    // A notification from the platform's tray icon.
    void handleActivation(QSystemTrayIcon::ActivationReason reason);
    // A notification area appeared or went away; a new one gets the icon
    // again (a restarted panel forgets it).
    void handleTrayAvailability(bool available);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showIcon();
    void hideIcon();
    void modifyIcon();
    void applyCycleIcons();
    void cycleStep();
    void clickTimerStep();
    void leftDown();
    void leftUp();
    void leftDoubleClick();
    void showPopupMenu();
    void mouseDown(TMouseButton button);
    void mouseUp(TMouseButton button);
    void hideMainWindow();

    QPointer<QWidget> m_owner;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    QList<QIcon> m_iconList;
    bool m_hasIconList = false;
    bool m_cycleIcons = false;
    std::uint32_t m_cycleInterval = 0;
    bool m_enabled = true;
    QString m_hint;
    bool m_showHint = true;
    QIcon m_icon;
    // The image last handed to the platform's icon.
    qint64 m_shownIconKey = -1;
    bool m_iconVisible = false;
    int m_iconIndex = 0;
    QPointer<QMenu> m_popupMenu;
    bool m_leftPopup = false;
    bool m_minimizeToTray = false;

    bool m_clickInProgress = false;
    bool m_clickReady = false;
    bool m_doubleClicked = false;
    std::unique_ptr<TSimpleTimer> m_cycleTimer;
    std::unique_ptr<TSimpleTimer> m_clickTimer;
    bool m_trayAvailable = false;
    std::unique_ptr<TrayPresence> m_trayWatch;
    int m_addCount = 0;
    int m_updateCount = 0;
};
