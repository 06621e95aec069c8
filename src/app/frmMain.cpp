#include "frmMain.h"

TMainForm::TMainForm(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
{
    setObjectName("MainForm");
    setWindowTitle("Travimetra");
    resize(260, 380);
}

TMainForm::~TMainForm() = default;
