#include "InstanceLock.h"

#include <QFile>
#include <QStandardPaths>

namespace InstanceLock {

namespace {

std::string describe(qint64 pid)
{
    // The headless monitor runs with "--headless" among its arguments.
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!cmdline.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> args = cmdline.read(64 * 1024).split('\0');
    const bool headless = args.contains(QByteArrayLiteral("--headless"));
    return std::string(headless ? "the headless monitor" : "the window") + " (process " +
           std::to_string(pid) + ")";
}

} // namespace

TTaken take()
{
    TTaken taken;
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    auto lock = std::make_unique<QLockFile>(runtime + QStringLiteral("/Travimetra.lock"));
    if (lock->tryLock(0)) {
        taken.lock = std::move(lock);
    } else if (lock->error() == QLockFile::LockFailedError) {
        taken.refused = true;
        qint64 pid = 0;
        QString host;
        QString app;
        if (lock->getLockInfo(&pid, &host, &app) && pid > 0)
            taken.holder = describe(pid);
    }
    return taken;
}

std::string refusalText(const TTaken& taken)
{
    std::string text = "Travimetra is already running !";
    if (taken.holder.rfind("the headless monitor", 0) == 0)
        text += "\n\rIt runs as " + taken.holder + ", without a window.";
    return text;
}

} // namespace InstanceLock
