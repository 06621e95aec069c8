#pragma once

#include "TVrGraphicControl.h"

#include <QImage>

#include <optional>

class QPainter;

// A graphic control that draws into an off-screen image of its own size and
// copies that image to the screen in one step, so a full redraw never flickers.
class TVrGraphicImageControl : public TVrGraphicControl
{
    Q_OBJECT

public:
    explicit TVrGraphicImageControl(QWidget* parent = nullptr);
    ~TVrGraphicImageControl() override;

    // Runs the drawing steps into the off-screen image and returns it. A
    // change draws the image at once; the paint event copies it to the
    // screen (drawing it first if a change is still pending).
    const QImage& renderImage();
    // The part of the image the last drawing changed (empty when it left
    // every pixel as it was).
    QRect lastChange() const { return m_lastChange; }
    // Whether the last drawing cleared the image and drew it whole.
    bool lastDrawnWhole() const { return m_lastWhole; }

protected:
    void paintEvent(QPaintEvent* event) override;
    QRect redraw() override;

    // Draws the control's content; the image has already been cleared with color().
    virtual void paintImage(QPainter& painter) = 0;
    // Brings the image, as the last drawing left it, up to date by drawing
    // only what changed, and returns the part it changed; nullopt when it
    // cannot, and the image is then cleared and drawn whole.
    virtual std::optional<QRect> paintChanges() { return std::nullopt; }
    // The clear step: fills the image with color().
    virtual void clearImage(QImage& image);
    // The image being drawn, for direct pixel writes during paintImage().
    QImage& image() { return m_image; }

private:
    QImage m_image;
    bool m_fresh = false; // drawn by a change since the last paint
    QRect m_lastChange;
    bool m_lastWhole = false;
};
