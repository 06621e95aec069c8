#pragma once

#include "RateScale.h"
#include "StripLayout.h"
#include "TSensorControls.h"
#include "TSensorRecord.h"
#include "VrColor.h"

#include <functional>
#include <memory>

class QWidget;
class SensorPresenter;

// One sensor's five controls on the strip: made, laid out and freed here
// and nowhere else. The labels are made anew on every rebuild; scope and
// scale stay with the record, so a graph keeps its history.
namespace SensorGraphSet {

// Called for each control made, to give it the window's mouse handling.
using Attach = std::function<void(QWidget* control)>;

// Makes whichever of the five controls is missing, children of `window`.
// A record that goes away frees what is left of its set with it.
void ensure(std::shared_ptr<TSensorControls>& controls, QWidget* window, const Attach& attach);

// The rebuild's first step: the labels go, the graph stays.
void freeLabels(TSensorControls& controls);

// A sensor taken off the window takes its graph with it.
void freeAll(TSensorControls& controls);

struct TLook
{
    TColor backColor = 0;
    bool extendedInfo = false;
};

// Places and styles the set at `place` (design pixels), its scale labelled
// by `presenter` in the rate unit.
void layOut(TSensorControls& controls, const TSensorRecord& sensor,
            const StripLayout::TSetPlace& place, const TLook& look,
            const SensorPresenter& presenter);

// A live sensor's grown maximum: graph and scale to `top` bytes per second,
// the labels following it in the rate unit.
void growLive(TSensorControls& controls, std::int32_t top, const SensorPresenter& presenter);

} // namespace SensorGraphSet
