#pragma once

#include "VrColor.h"

#include <QString>
#include <QWidget>

// Base of the display components: an opaque control that redraws itself
// whenever one of its properties changes. The redraw is done at once and
// tells which part of the control changed; only that part is brought up to
// date on the screen, once per turn of the event loop, so a window of many
// controls that all change together is copied out once, not once per
// change. A control outside every screen (a tall window runs
// off the bottom) or in a window wholly covered by others is only marked and
// redrawn when it comes into view.
class TVrGraphicControl : public QWidget
{
    Q_OBJECT

public:
    explicit TVrGraphicControl(QWidget* parent = nullptr);
    ~TVrGraphicControl() override;

    static QString version() { return QStringLiteral("1.3"); }

    TColor color() const { return m_color; }
    void setColor(TColor color);

    // While the lock count is above zero, property changes do not repaint.
    void beginUpdate();
    void endUpdate();
    int updateLockCount() const { return m_updateLock; }

    // Number of redraws the control has run; lets callers see whether a
    // change redrew the control.
    int paintCount() const { return m_paintCount; }
    // Whether a change waits to be drawn until the control is in view.
    bool redrawPending() const { return m_pending; }
    // Shown, at least partly on one of the screens, and its window not
    // wholly behind others.
    bool onScreen() const;

protected:
    // Redraws the control at once when it is on a screen and not locked,
    // else marks it for a redraw when it comes into view.
    void updateRequest();
    void notePaint() { ++m_paintCount; }
    // Draws the control's content now (image controls into their image) and
    // returns the part of the control whose pixels changed.
    virtual QRect redraw() { return rect(); }
    // The control is being painted with fresh content.
    void clearPending() { m_pending = false; }

    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void redrawIfInView();
    void updateChanged(const QRect& changed);

    TColor m_color = VrColor::clBlack;
    int m_updateLock = 0;
    int m_paintCount = 0;
    bool m_pending = false;
    QWidget* m_watchedWindow = nullptr;
};
