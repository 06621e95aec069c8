#include "Platform.h"
#include "frmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    Platform::prepareWindowSystem();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Travimetra");
    QApplication::setApplicationDisplayName("Travimetra");

    TMainForm form;
    form.show();
    return app.exec();
}
