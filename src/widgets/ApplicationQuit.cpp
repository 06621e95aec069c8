#include "ApplicationQuit.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#include <atomic>

namespace ApplicationQuit {
namespace {
std::atomic<bool> g_requested{false};

void closeModalWindows()
{
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    if (QWidget* modal = QApplication::activeModalWidget()) {
        // done() ends a dialog's exec() whatever buttons it has; a message
        // box without an escape button would ignore a plain close().
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->done(QDialog::Rejected);
        else
            modal->close();
    }
}
} // namespace

void request()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    if (!g_requested.exchange(true)) {
        // The window's place is saved on the way out: take in what the
        // window system has already said (a move just finished, say) first.
        if (qobject_cast<QGuiApplication*>(app))
            QGuiApplication::sync();
        auto* closer = new QTimer(app);
        closer->setInterval(20);
        QObject::connect(closer, &QTimer::timeout, app, [] {
            closeModalWindows();
            // Loops started after the first exit() need one of their own.
            QCoreApplication::exit(0);
        });
        closer->start();
        // Once the main loop has ended every nested one has too: the
        // program (or a test that goes on with another loop) starts afresh.
        QObject::connect(
            app, &QCoreApplication::aboutToQuit, closer,
            [closer] {
                g_requested = false;
                closer->deleteLater();
            },
            Qt::SingleShotConnection);
    }
    closeModalWindows();
    // exit() rather than quit(): it also ends the loops of a start-up
    // message box, before the application's own loop runs.
    QCoreApplication::exit(0);
}

bool requested()
{
    return g_requested.load();
}

} // namespace ApplicationQuit
