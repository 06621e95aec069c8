#pragma once

// Ending the program while dialogs are open. Quitting ends only the event
// loops running at that moment: a modal dialog or message box
// opened afterwards (a dialog reporting that its network call was cut short,
// say) would start a new loop and hold the program open with nobody to
// answer it. Once a quit is requested, every modal dialog, message box and
// popup is closed as it appears, and code that is about to wait can ask
// whether the program is ending instead.
namespace ApplicationQuit {

// Quits the application and keeps closing modal windows until it has ended.
void request();

// True from request() until the main event loop has ended.
bool requested();

} // namespace ApplicationQuit
