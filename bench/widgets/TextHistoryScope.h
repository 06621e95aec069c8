#pragma once

#include "TVrScope.h"

#include <string>
#include <vector>

// A scope that keeps each channel's samples as the text of fixed-width
// 10-character fields, newest first, and decodes a working copy field by
// field at every paint (reading and removing the front field): the way to
// compare the ring buffer of TVrScope against. Grid, traces and the copy to
// the screen are TVrScope's own.
class TextHistoryScope : public TVrScope
{
public:
    explicit TextHistoryScope(QWidget* parent = nullptr);

    // Adds a channel to the text store as well.
    void addChannel();
    // Prepends the sample's field, cuts the text to BufferSize fields and redraws.
    void pushText(int channel, int value);

protected:
    void paintTraces(QPainter* painter, int base) override;

private:
    std::vector<std::string> m_texts;
};
