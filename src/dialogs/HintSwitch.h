#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

// The hints of one dialog, switched on and off together: a control shows its
// hint as a tool tip only while hints are on.
class HintSwitch
{
public:
    // Gives the control its hint, replacing one it had.
    void add(QWidget* control, const QString& hint);
    // The hint the control shows while hints are on.
    QString hintOf(const QWidget* control) const;
    void setEnabled(bool enabled);
    bool enabled() const { return m_enabled; }

private:
    struct Entry
    {
        QPointer<QWidget> control;
        QString hint;
    };
    std::vector<Entry> m_entries;
    bool m_enabled = true;
};
