#include "TCoolTrayIcon.h"

#include "GuiTestApp.h"
#include "ShownText.h"

#include <QAction>
#include <QMenu>
#include <QPixmap>
#include <gtest/gtest.h>

#include <memory>

TRAVIMETRA_GUI_TEST_APP;

namespace {

QIcon solidIcon(Qt::GlobalColor color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    return QIcon(pixmap);
}

QList<QIcon> trafficIcons()
{
    return {solidIcon(Qt::black), solidIcon(Qt::green), solidIcon(Qt::red)};
}

TEST(TCoolTrayIcon, TipShowsTheFirst127CharactersOfTheHint)
{
    TCoolTrayIcon tray;
    const QString hint = QString(200, QLatin1Char('x')).replace(0, 3, QStringLiteral("abc"));
    tray.setHint(hint);
    EXPECT_EQ(tray.hint(), hint);
    EXPECT_EQ(tray.tip(), hint.left(127));
    tray.setShowHint(false);
    EXPECT_TRUE(tray.tip().isEmpty());
    EXPECT_EQ(tray.hint(), hint);
    tray.setShowHint(true);
    EXPECT_EQ(tray.tip().size(), 127);
}

TEST(TCoolTrayIcon, TipLeavesOutCarriageReturnsAndHalfCharacters)
{
    EXPECT_EQ(TCoolTrayIcon::tipFor(QStringLiteral("Sensor #1\n\rDL: 1.5 kb/s"), true),
              "Sensor #1\nDL: 1.5 kb/s");
    // A character outside the basic plane straddling the limit is left out whole.
    const QString hint = QString(126, QLatin1Char('a')) + QString::fromUcs4(U"\U0001F600") + "b";
    EXPECT_EQ(TCoolTrayIcon::tipFor(hint, true), QString(126, QLatin1Char('a')));
    EXPECT_TRUE(TCoolTrayIcon::tipFor(QString(), true).isEmpty());
}

TEST(TCoolTrayIcon, AMessageWithoutANotificationAreaGoesToTheStandardError)
{
    // The offscreen platform has no notification area.
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    TCoolTrayIcon icon;
    icon.setIconVisible(true);
    QStringList shown;
    QObject::connect(&icon, &TCoolTrayIcon::messageShown,
                     [&shown](const QString& text) { shown << text; });
    testing::internal::CaptureStderr();
    icon.showMessage(QStringLiteral("Router has used 80 % of its monthly quota"));
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_NE(written.find("Travimetra: Router has used 80 % of its monthly quota\n"),
              std::string::npos)
        << written;
    EXPECT_EQ(shown, QStringList({"Router has used 80 % of its monthly quota"}));
}

TEST(TCoolTrayIcon, IconIndexIsClampedToTheList)
{
    TCoolTrayIcon tray;
    const QList<QIcon> icons = trafficIcons();
    tray.setIconIndex(2); // no list yet
    EXPECT_EQ(tray.iconIndex(), 0);
    tray.setIconList(icons);
    tray.setIconIndex(1);
    EXPECT_EQ(tray.icon().cacheKey(), icons[1].cacheKey());
    tray.setIconIndex(10);
    EXPECT_EQ(tray.iconIndex(), 2);
    EXPECT_EQ(tray.icon().cacheKey(), icons[2].cacheKey());
    tray.setIconIndex(-4);
    EXPECT_EQ(tray.iconIndex(), 0);
    tray.setIconList({});
    tray.setIconIndex(1);
    EXPECT_EQ(tray.iconIndex(), 0);
}

struct TrayEvents : ::testing::Test
{
    TCoolTrayIcon tray;
    QMenu menu;
    QStringList log;
    void SetUp() override
    {
        tray.setPopupMenu(&menu);
        QAction* restore = menu.addAction(QStringLiteral("Restore"));
        menu.setDefaultAction(restore);
        QObject::connect(restore, &QAction::triggered, [this] { log << "default"; });
        tray.OnClick = [this](TCoolTrayIcon*) { log << "click"; };
        tray.OnMouseDown = [this](TCoolTrayIcon*, TMouseButton b, Qt::KeyboardModifiers, int, int) {
            log << QStringLiteral("down%1").arg(b);
        };
        tray.OnMouseUp = [this](TCoolTrayIcon*, TMouseButton b, Qt::KeyboardModifiers, int, int) {
            log << QStringLiteral("up%1").arg(b);
        };
    }
    void TearDown() override { menu.hide(); }
};

TEST_F(TrayEvents, LeftClickRaisesOnClickOnceBeforeMouseUp)
{
    tray.handleActivation(QSystemTrayIcon::Trigger);
    EXPECT_EQ(log, QStringList({"down0", "click", "up0"}));
}

TEST_F(TrayEvents, DoubleClickWithoutHandlerGivesOneClickAndTheDefaultItem)
{
    tray.handleActivation(QSystemTrayIcon::Trigger);
    tray.handleActivation(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(log, QStringList({"down0", "click", "up0", "default", "up0"}));
}

TEST_F(TrayEvents, WithADoubleClickHandlerASingleClickWaitsForTheDoubleClickTime)
{
    int doubleClicks = 0;
    tray.OnDblClick = [&](TCoolTrayIcon*) { ++doubleClicks; };
    tray.handleActivation(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(log.contains("click"));
    EXPECT_TRUE(waitUntil([&] { return log.contains("click"); }));
    EXPECT_EQ(log.count("click"), 1);

    log.clear();
    tray.handleActivation(QSystemTrayIcon::Trigger);
    tray.handleActivation(QSystemTrayIcon::DoubleClick);
    spinFor(QApplication::doubleClickInterval() + 100);
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_FALSE(log.contains("click"));
}

TEST_F(TrayEvents, RightClickShowsThePopupMenu)
{
    tray.handleActivation(QSystemTrayIcon::Context);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(log, QStringList({"down1", "up1"}));
}

TEST_F(TrayEvents, NothingHappensWhileDisabled)
{
    tray.setEnabled(false);
    tray.setLeftPopup(true);
    for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick,
                        QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick})
        tray.handleActivation(reason);
    EXPECT_TRUE(log.isEmpty());
    EXPECT_FALSE(menu.isVisible());
}

TEST_F(TrayEvents, LeftPopupShowsTheMenuOnALeftClickToo)
{
    tray.setLeftPopup(true);
    tray.handleActivation(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(menu.isVisible());
}

TEST(TCoolTrayIcon, IconReturnsWhenANotificationAreaAppears)
{
    TCoolTrayIcon tray;
    tray.setIcon(solidIcon(Qt::green));
    tray.setIconVisible(true);
    const int added = tray.addCount();
    tray.handleTrayAvailability(false); // the panel went away
    tray.handleTrayAvailability(true);  // and came back
    EXPECT_EQ(tray.addCount(), added + 1);
    EXPECT_TRUE(tray.iconVisible());

    tray.setIconVisible(false);
    tray.handleTrayAvailability(false);
    tray.handleTrayAvailability(true);
    EXPECT_EQ(tray.addCount(), added + 1);
    EXPECT_FALSE(tray.iconVisible());
}

TEST(TCoolTrayIcon, APassThatChangesNothingTellsThePlatformNothing)
{
    TCoolTrayIcon tray;
    const QList<QIcon> icons = trafficIcons();
    tray.setIconList(icons);
    tray.setHint(QStringLiteral("Sensor #1\n\rDL: 1.5 kb/s"));
    tray.setIconVisible(true);
    const int before = tray.updateCount();
    for (int pass = 0; pass < 5; ++pass) { // what every poll does with the same rates
        tray.setHint(QStringLiteral("Sensor #1\n\rDL: 1.5 kb/s"));
        tray.setIconIndex(0);
    }
    EXPECT_EQ(tray.updateCount(), before);
    EXPECT_EQ(ShownText::ofToolTip(tray.shownTip()), "Sensor #1\nDL: 1.5 kb/s");

    tray.setHint(QStringLiteral("Sensor #1\n\rDL: 2.0 kb/s"));
    EXPECT_EQ(tray.updateCount(), before + 1);
    EXPECT_EQ(ShownText::ofToolTip(tray.shownTip()), "Sensor #1\nDL: 2.0 kb/s");
    tray.setIconIndex(2);
    EXPECT_EQ(tray.updateCount(), before + 2);
    tray.setShowHint(false);
    EXPECT_EQ(tray.updateCount(), before + 3);
    EXPECT_TRUE(tray.shownTip().isEmpty());
}

TEST(TCoolTrayIcon, MinimizingSendsTheWindowToTheTray)
{
    QWidget window;
    window.resize(100, 50);
    TCoolTrayIcon tray(&window);
    tray.setIcon(solidIcon(Qt::green));
    tray.setMinimizeToTray(true);
    int notified = 0;
    tray.OnMinimizeToTray = [&](TCoolTrayIcon*) { ++notified; };
    ASSERT_TRUE(showAndWait(window));
    window.showMinimized();
    EXPECT_TRUE(waitUntil([&] { return !window.isVisible(); }));
    EXPECT_TRUE(tray.iconVisible());
    EXPECT_EQ(notified, 1);
}

TEST(TCoolTrayIcon, StartupMayKeepTheMainWindowHidden)
{
    QWidget window;
    ASSERT_TRUE(showAndWait(window));
    TCoolTrayIcon tray(&window);
    tray.OnStartup = [](TCoolTrayIcon*, bool& showMainForm) { showMainForm = false; };
    tray.loaded();
    EXPECT_FALSE(window.isVisible());
}

TEST(TCoolTrayIcon, CyclingStepsThroughTheList)
{
    TCoolTrayIcon tray;
    const QList<QIcon> icons = trafficIcons();
    tray.setIconList(icons);
    tray.setCycleInterval(3);
    QList<qint64> seen;
    tray.setCycleIcons(true);
    EXPECT_TRUE(waitUntil([&] {
        const qint64 key = tray.icon().cacheKey();
        if (seen.isEmpty() || seen.back() != key)
            seen << key;
        return seen.size() >= 4;
    }));
    tray.setCycleIcons(false);
    ASSERT_GE(seen.size(), 4);
    // Each image follows the one before it, wrapping after the last.
    for (int i = 1; i < seen.size(); ++i) {
        int previous = -1;
        int current = -1;
        for (int k = 0; k < icons.size(); ++k) {
            if (icons[k].cacheKey() == seen[i - 1])
                previous = k;
            if (icons[k].cacheKey() == seen[i])
                current = k;
        }
        EXPECT_EQ(current, (previous + 1) % 3);
    }
}

} // namespace
