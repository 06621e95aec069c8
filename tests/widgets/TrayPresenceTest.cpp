// The notification area is noticed coming and going on a real X server: a
// private Xvfb, and a second client playing the panel that takes and drops
// the tray selection.
#include "TrayPresence.h"
#include "TCoolTrayIcon.h"
#include "XServerFixture.h"

#include <QPixmap>

TRAVIMETRA_X_SERVER_TEST_APP;

namespace {

using TrayPresenceOnX = OnXServer;

TEST_F(TrayPresenceOnX, APanelTakingAndLeavingTheTrayIsNoticed)
{
    std::unique_ptr<TrayPresence> presence = TrayPresence::create(false);
    QList<bool> seen;
    QObject::connect(presence.get(), &TrayPresence::changed, [&](bool now) { seen << now; });

    OtherClient panel(s_display);
    ASSERT_TRUE(panel.connected());
    panel.takeSelection();
    ASSERT_TRUE(waitUntil([&] { return presence->available(); }));
    panel.destroyWindow();
    ASSERT_TRUE(waitUntil([&] { return !presence->available(); }));
    panel.takeSelection();
    ASSERT_TRUE(waitUntil([&] { return presence->available(); }));
    panel.disconnect();
    ASSERT_TRUE(waitUntil([&] { return !presence->available(); }));
    EXPECT_EQ(seen, QList<bool>({true, false, true, false}));
}

TEST_F(TrayPresenceOnX, APanelAlreadyThereCountsAndNothingChangesWithoutIt)
{
    OtherClient panel(s_display);
    ASSERT_TRUE(panel.connected());
    panel.takeSelection();
    // The program starting under a running panel: its first look agrees.
    ASSERT_TRUE(waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }));
    std::unique_ptr<TrayPresence> presence = TrayPresence::create(true);
    int changes = 0;
    QObject::connect(presence.get(), &TrayPresence::changed, [&](bool) { ++changes; });
    spinFor(300);
    EXPECT_TRUE(presence->available());
    EXPECT_EQ(changes, 0);
    panel.destroyWindow();
    ASSERT_TRUE(waitUntil([&] { return !presence->available(); }));
    EXPECT_EQ(changes, 1);
}

TEST_F(TrayPresenceOnX, TheIconIsHandedToAPanelThatStartsLater)
{
    TCoolTrayIcon tray;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::green);
    tray.setIcon(QIcon(pixmap));
    tray.setIconVisible(true);
    const int added = tray.addCount();

    OtherClient panel(s_display);
    ASSERT_TRUE(panel.connected());
    panel.takeSelection();
    EXPECT_TRUE(waitUntil([&] { return tray.addCount() == added + 1; }));
    panel.destroyWindow();
    spinFor(200);
    panel.takeSelection();
    EXPECT_TRUE(waitUntil([&] { return tray.addCount() == added + 2; }));
    EXPECT_TRUE(tray.iconVisible());
}

} // namespace
