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

void TVrGraphicImageControl::paintEvent(QPaintEvent*)
{
    notePaint();
    renderImage();
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
}

void TVrGraphicImageControl::clearImage(QImage& image)
{
    image.fill(VrColor::toQColor(color()));
}
