// Writes pictures of the usage window at 100 % and, run again with
// QT_SCALE_FACTOR=2, at 200 %, for the documentation:
//   QT_QPA_PLATFORM=offscreen usagewindow_screenshots docs/screenshots usage-window.png
#include "TUsageWindow.h"
#include "UsageDemoHistory.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER FILE.png\n", argv[0]);
        return 2;
    }
    QTemporaryDir temp;
    std::string notice;
    auto db = TUsageDatabase::openForWriting(temp.filePath("usage.sqlite").toStdString(), notice);
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    fillDemoHistory(*db, "192.168.1.1#3", "Router", now, 70, 7, 150000000ULL);
    TUsageWindow window(*db, {{"192.168.1.1#3", "Router", {15, 300, TQuotaKind::Both}}},
                        TRateUnit::MegabitsPerSecond, [now] { return now; });
    window.show();
    QApplication::processEvents();
    const QString file = QDir(argv[1]).filePath(argv[2]);
    if (!window.grab().save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    return 0;
}
