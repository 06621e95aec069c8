#pragma once

#include "VrColor.h"

#include <QString>
#include <QWidget>

// Base of the display components: an opaque control that redraws itself
// completely and synchronously whenever one of its properties changes.
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

    // Number of paints the control has run; lets callers see whether a
    // change redrew the control.
    int paintCount() const { return m_paintCount; }

protected:
    // Repaints the control at once (when it is visible and not locked).
    void updateRequest();
    void notePaint() { ++m_paintCount; }

private:
    TColor m_color = VrColor::clBlack;
    int m_updateLock = 0;
    int m_paintCount = 0;
};
