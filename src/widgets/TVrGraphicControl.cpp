#include "TVrGraphicControl.h"

TVrGraphicControl::TVrGraphicControl(QWidget* parent) : QWidget(parent)
{
    // Every paint fills the whole rectangle, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

TVrGraphicControl::~TVrGraphicControl() = default;

void TVrGraphicControl::setColor(TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    updateRequest();
}

void TVrGraphicControl::beginUpdate()
{
    ++m_updateLock;
}

void TVrGraphicControl::endUpdate()
{
    if (m_updateLock > 0 && --m_updateLock == 0)
        updateRequest();
}

void TVrGraphicControl::updateRequest()
{
    if (m_updateLock == 0)
        repaint();
}
