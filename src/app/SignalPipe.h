#pragma once

#include <QObject>

#include <functional>
#include <initializer_list>

// Signals handed to the event loop: the handler only writes the signal's
// number into a pipe (all a handler may safely do), and `onSignal` runs on
// the thread of `context`'s event loop for each one. Call once.
namespace SignalPipe {

bool watch(std::initializer_list<int> signalNumbers, QObject* context,
           std::function<void(int signalNumber)> onSignal);

} // namespace SignalPipe
