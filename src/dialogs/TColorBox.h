#pragma once

#include "TSensorRecord.h"

#include <QColor>
#include <QComboBox>

// A drop-down list of the sixteen standard colours, each with its swatch, and
// a last item "Custom..." that asks for any other colour. A colour that is not
// a standard one is shown as a "Custom" item at the top.
class TColorBox : public QComboBox
{
    Q_OBJECT

public:
    explicit TColorBox(QWidget* parent = nullptr);

    // The chosen colour, 0x00BBGGRR.
    TColor selected() const;
    void setSelected(TColor color);

    static QColor toQColor(TColor color);
    static TColor fromQColor(const QColor& color);

private:
    void itemActivated(int index);
    void setCustom(TColor color);

    TColor m_selected = 0;
    bool m_hasCustom = false;
};
