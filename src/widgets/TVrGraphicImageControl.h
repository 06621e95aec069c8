#pragma once

#include "TVrGraphicControl.h"

#include <QImage>

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

protected:
    void paintEvent(QPaintEvent* event) override;
    void redraw() override;

    // Draws the control's content; the image has already been cleared with color().
    virtual void paintImage(QPainter& painter) = 0;
    // The clear step: fills the image with color().
    virtual void clearImage(QImage& image);
    // The image being drawn, for direct pixel writes during paintImage().
    QImage& image() { return m_image; }

private:
    QImage m_image;
    bool m_fresh = false; // drawn by a change since the last paint
};
