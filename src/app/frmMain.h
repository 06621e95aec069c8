#pragma once

#include <QWidget>

// The program's one long-lived window: a borderless strip that stays on top
// and carries one graph set per active sensor.
class TMainForm : public QWidget
{
    Q_OBJECT

public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;
};
