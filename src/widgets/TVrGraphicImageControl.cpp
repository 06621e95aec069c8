#include "TVrGraphicImageControl.h"

#include <QPaintEvent>
#include <QPainter>

TVrGraphicImageControl::TVrGraphicImageControl(QWidget* parent) : TVrGraphicControl(parent) {}

TVrGraphicImageControl::~TVrGraphicImageControl() = default;

const QImage& TVrGraphicImageControl::renderImage()
{
    const QSize size(qMax(width(), 1), qMax(height(), 1));
    const bool sameSize = m_image.size() == size;
    if (!sameSize)
        m_image = QImage(size, QImage::Format_RGB32);
    if (sameSize) {
        if (const std::optional<QRect> changed = paintChanges()) {
            m_lastChange = *changed & m_image.rect();
            m_lastWhole = false;
            return m_image;
        }
    }
    clearImage(m_image);
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    paintImage(painter);
    m_lastChange = m_image.rect();
    m_lastWhole = true;
    return m_image;
}

QRect TVrGraphicImageControl::redraw()
{
    notePaint();
    renderImage();
    m_fresh = true;
    return m_lastChange;
}

void TVrGraphicImageControl::paintEvent(QPaintEvent* event)
{
    // A paint that follows a change only copies the image the change drew;
    // any other (first showing, a resize, an expose, a change made while out
    // of view) draws it first, and what that drawing changed beyond the
    // area being painted follows in a paint of its own.
    if (!m_fresh || redrawPending()) {
        const QRect changed = redraw();
        const QRegion beyond = QRegion(changed) - event->region();
        if (!beyond.isEmpty())
            update(beyond);
    }
    m_fresh = false;
    clearPending();
    QPainter painter(this);
    const QRect area = event->rect();
    painter.drawImage(area.topLeft(), m_image, area);
}

void TVrGraphicImageControl::clearImage(QImage& image)
{
    image.fill(VrColor::toQColor(color()));
}
