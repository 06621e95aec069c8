#include "SensorGraphSet.h"

#include "PlainText.h"
#include "SensorPoll.h"
#include "SensorPresenter.h"
#include "StripLook.h"
#include "TVrScale.h"
#include "TVrScope.h"

#include <QFontMetrics>
#include <QLabel>

#include <algorithm>
#include <cmath>
#include <limits>

namespace SensorGraphSet {

using StripLook::kLabelFontPixels;
using StripLook::setColors;
using StripLook::setLabelText;
using StripLook::tahoma;

namespace {

int toInt(double v)
{
    if (!(v == v))
        return 0;
    // Clamped before rounding: a rate past what an int holds is the top.
    const double limited =
        std::clamp<double>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    return static_cast<int>(std::llround(limited));
}

// The scale's labels as texts: each label value finds its place among the
// ticks, so the scale's own range can stay what the graph's numbers are.
void showTexts(TVrScale& scale, const RateScale::TScaleLabels& labels)
{
    scale.setLabelFormat([texts = labels.texts, ticks = labels.ticks](std::int64_t value,
                                                                      int maxValue) {
        if (texts.empty())
            return QString();
        const double k = maxValue > 0 ? double(value) * ticks / maxValue : 0.0;
        const auto i = static_cast<std::size_t>(
            std::clamp<long long>(std::llround(k), 0, static_cast<long long>(texts.size()) - 1));
        return QString::fromStdString(texts[i]);
    });
}

RateScale::TextWidth widthIn(const TVrScale& scale)
{
    const QFontMetrics metrics(scale.font());
    return [metrics](const std::string& text) {
        return metrics.horizontalAdvance(QString::fromStdString(text));
    };
}

// A pixel clear of the scope and of the window's edge.
int columnOf(const TVrScale& scale)
{
    return scale.width() - 2;
}

} // namespace

void ensure(std::shared_ptr<TSensorControls>& controls, QWidget* window, const Attach& attach)
{
    if (!controls)
        controls = std::shared_ptr<TSensorControls>(new TSensorControls, [](TSensorControls* c) {
            freeAll(*c);
            delete c;
        });
    TSensorControls& c = *controls;
    const auto made = [&attach](QWidget* control) {
        if (attach)
            attach(control);
        control->show();
    };
    if (!c.TitleLabel)
        made(c.TitleLabel = new QLabel(window));
    if (!c.DownLabel)
        made(c.DownLabel = new QLabel(window));
    if (!c.UpLabel)
        made(c.UpLabel = new QLabel(window));
    if (!c.Scope)
        made(c.Scope = new TVrScope(window));
    if (!c.Scale)
        made(c.Scale = new TVrScale(window));
}

void freeLabels(TSensorControls& controls)
{
    delete controls.TitleLabel.data();
    delete controls.DownLabel.data();
    delete controls.UpLabel.data();
}

void freeAll(TSensorControls& controls)
{
    freeLabels(controls);
    delete controls.Scope.data();
    delete controls.Scale.data();
}

void layOut(TSensorControls& c, const TSensorRecord& s, const StripLayout::TSetPlace& place,
            const TLook& look, const SensorPresenter& presenter)
{
    const TColor back = look.backColor;

    // A label of the set: placed, in its colour on the background, its
    // width following its first text, in front of the graph.
    const auto label = [back](QLabel* l, const QRect& place, TColor color,
                              const std::string& text) {
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        l->setGeometry(place);
        l->setFont(tahoma(kLabelFontPixels));
        setColors(l, color, back);
        setLabelText(l, text);
        l->raise();
    };
    QLabel* title = c.TitleLabel;
    title->setToolTip(
        PlainText::toolTip(QString::fromStdString(SensorPresenter::identification(s))));
    label(title, place.title, s.LightColor, SensorPresenter::title(s, look.extendedInfo));
    // The window's own background shows through: a filled box would cover
    // the top row of the scale's highest label where the two meet at 150 %
    // and 200 %.
    title->setAutoFillBackground(false);
    label(c.DownLabel, place.downLabel, s.DLColor, "Download Speed");
    // The upload text starts at its place and later texts keep its right edge.
    QLabel* up = c.UpLabel;
    label(up, place.upLabel, s.ULColor, "Upload Speed");
    // With a font wider than the one the strip was designed for, the right
    // edge would fall outside the column and every rate would be cut off.
    const int rightLimit = place.scale.x() + StripLayout::kColumnWidth - 2;
    if (up->geometry().right() > rightLimit)
        up->move(rightLimit + 1 - up->width(), up->y());
    up->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    TVrScale* scale = c.Scale;
    scale->setOrientation(voVertical);
    scale->setGeometry(place.scale);
    scale->setMinValue(0);
    scale->setScaleColor(s.DarkColor);
    scale->setPeakColor(s.LightColor);
    scale->setShowSign(false);
    scale->setScaleOffset(0);
    scale->setFontColor(s.UseLightColorFor ? s.LightColor : s.DarkColor);
    scale->setFont(tahoma(StripLook::kScaleFontPixels));
    scale->setLayout(tlTop);
    scale->setColor(back);
    scale->lower();

    const RateScale::TScaleLabels labels =
        presenter.speedScale(s, place.scaleTicks, widthIn(*scale), columnOf(*scale));
    int scopeTop = 0;
    if (labels.plainDigits) {
        // The graph's full scale as it always was: the speed x 128 bytes per
        // second, and the scale's digits the speed div 8.
        scopeTop = static_cast<int32_t>(static_cast<uint32_t>(s.DownSpeed) << 7);
        const int64_t top = s.DownSpeed / 8;
        scale->setTicks(place.scaleTicks);
        scale->setMaxValue(toInt(double(top)));
        scale->setPeakLevel(toInt(double(top * 7 / 10)));
        scale->setLabelFormat({});
    } else {
        // The graph's top is the top label's rate; the scale counts its
        // labels in tens, so the upper 30 % of them stay the peak.
        scopeTop = toInt(labels.topBytesPerSecond);
        scale->setTicks(labels.ticks);
        scale->setMaxValue(labels.ticks * 10);
        scale->setPeakLevel(labels.ticks * 7);
        showTexts(*scale, labels);
    }

    TVrScope* scope = c.Scope;
    scope->setGeometry(place.scope);
    scope->setInterval(10000);
    scope->setMaxValue(scopeTop);
    scope->setMinValue(-1);
    scope->setGridSize(11);
    scope->setGridColor(s.DarkColor);
    scope->setBaseColor(s.LightColor);
    scope->setBaseOffset(static_cast<std::uint8_t>(SensorPoll::baseOffset(s)));
    scope->setFrequency(s.GraphPixels);
    scope->setColor(back);
    scope->setThreaded(true);
    while (scope->channels().count() < 2)
        scope->channels().add();
    scope->channels().items(0).setColor(s.DLColor);
    scope->channels().items(1).setColor(s.ULColor);
}

void growLive(TSensorControls& c, std::int32_t top, const SensorPresenter& presenter)
{
    if (!c.Scope || !c.Scale)
        return;
    c.Scope->setMaxValue(top);
    c.Scale->setMaxValue(top);
    showTexts(*c.Scale,
              presenter.liveScale(top, c.Scale->ticks(), widthIn(*c.Scale), columnOf(*c.Scale)));
}

} // namespace SensorGraphSet
