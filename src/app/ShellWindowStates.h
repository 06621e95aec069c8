#pragma once

class QWidget;

// The states a desktop shell reads from a window: out of the task bar and
// the pager, and above the other windows. Qt sets "above" from the window's
// flags only when it maps the window; the task-bar states it does not set at
// all, and window managers drop every state of a window that was hidden.
namespace ShellWindowStates {

// Marks the top-level `window` as a strip without a task-bar or pager entry,
// above the others when `above` is set. Call it whenever the window is about
// to be shown (the marks then travel with the mapping) and when `above`
// changes on a shown window. Does nothing where the windowing system has no
// such states.
void apply(QWidget* window, bool above);

} // namespace ShellWindowStates
