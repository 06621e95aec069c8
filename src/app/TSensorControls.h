#pragma once

#include <QLabel>
#include <QPointer>

#include "TVrScale.h"
#include "TVrScope.h"

// The graph set of one sensor. All five are children of the main window; the
// pointers only observe them, so whichever side goes first, nothing is freed
// twice. The labels are made anew on every rebuild; scope and scale live as
// long as the array position, so a graph keeps its history.
struct TSensorControls
{
    QPointer<QLabel> TitleLabel;
    QPointer<QLabel> DownLabel;
    QPointer<QLabel> UpLabel;
    QPointer<TVrScope> Scope;
    QPointer<TVrScale> Scale;
};
