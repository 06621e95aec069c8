#include "TVrGraphicImageControl.h"

#include <QPainter>

TVrGraphicImageControl::TVrGraphicImageControl(QWidget* parent) : TVrGraphicControl(parent) {}

TVrGraphicImageControl::~TVrGraphicImageControl() = default;

const QImage& TVrGraphicImageControl::renderImage()
{
    const QSize size(qMax(width(), 1), qMax(height(), 1));
    if (m_image.size() != size)
        m_image = QImage(size, QImage::Format_RGB32);
    clearImage(m_image);
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    paintImage(painter);
    return m_image;
}

void TVrGraphicImageControl::redraw()
{
    notePaint();
    renderImage();
    m_fresh = true;
}

void TVrGraphicImageControl::paintEvent(QPaintEvent*)
{
    // A paint that follows a change only copies the image the change drew;
    // any other (first showing, a resize, an expose, a change made while out
    // of view) draws it first.
    if (!m_fresh || redrawPending())
        redraw();
    m_fresh = false;
    clearPending();
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
}

void TVrGraphicImageControl::clearImage(QImage& image)
{
    image.fill(VrColor::toQColor(color()));
}
