#include "ApplicationQuit.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A quit requested while a dialog waits ends the program even when more
// modal windows open on the way out, whatever buttons they have; the
// request is over once the main loop has ended, so the next loop runs.
TEST(ApplicationQuit, ModalWindowsOpenedAfterTheRequestDoNotHoldTheProgram)
{
    std::vector<int> results;
    bool requestedInside = false;
    QTimer::singleShot(0, qApp, [&] {
        QDialog outer;
        QTimer::singleShot(0, &outer, [&] {
            ApplicationQuit::request();
            // What a dialog does when its cut-short call fails: report it.
            QMessageBox error(QMessageBox::Critical, "Travimetra", "did not reply",
                              QMessageBox::Ok);
            results.push_back(error.exec());
            // A confirmation has no escape button and ignores a close.
            QMessageBox confirm(QMessageBox::Question, "Travimetra", "Sure?",
                                QMessageBox::Yes | QMessageBox::No);
            results.push_back(confirm.exec());
            requestedInside = ApplicationQuit::requested();
        });
        results.push_back(outer.exec());
    });
    // Watchdog: a window that held the program would end the loop with 7.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(7); });
    watchdog.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);
    watchdog.stop();
    EXPECT_EQ(results.size(), 3u);
    EXPECT_TRUE(requestedInside);
    EXPECT_FALSE(ApplicationQuit::requested());

    // The next loop is not ended by the last one's request.
    bool ran = false;
    QTimer::singleShot(50, qApp, [&] {
        ran = true;
        QCoreApplication::exit(3);
    });
    EXPECT_EQ(QApplication::exec(), 3);
    EXPECT_TRUE(ran);
}

} // namespace
