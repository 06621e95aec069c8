#include "HintSwitch.h"

#include <algorithm>

void HintSwitch::add(QWidget* control, const QString& hint)
{
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [control](const Entry& e) { return e.control == control; });
    if (it != m_entries.end())
        it->hint = hint;
    else
        m_entries.push_back({control, hint});
    control->setToolTip(m_enabled ? hint : QString());
}

void HintSwitch::setEnabled(bool enabled)
{
    m_enabled = enabled;
    for (const Entry& entry : m_entries) {
        if (entry.control)
            entry.control->setToolTip(enabled ? entry.hint : QString());
    }
}

QString HintSwitch::hintOf(const QWidget* control) const
{
    for (const Entry& entry : m_entries) {
        if (entry.control == control)
            return entry.hint;
    }
    return {};
}
