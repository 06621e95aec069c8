#include "TrayPresence.h"

void TrayPresence::report(bool available)
{
    if (available == m_available)
        return;
    m_available = available;
    emit changed(available);
}
