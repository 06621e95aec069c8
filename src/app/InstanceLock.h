#pragma once

#include <QLockFile>

#include <memory>
#include <string>

// One Travimetra per user, window or headless: both take the same lock file
// "Travimetra.lock" in the runtime folder. A lock left by a crashed instance
// is stale (its process is gone) and taken over; a folder where no lock can
// be made at all does not keep the program from running.
namespace InstanceLock {

struct TTaken
{
    std::unique_ptr<QLockFile> lock; // held for the life of the process
    bool refused = false;            // another instance runs
    // Which one runs, when it can be told: "the window (process 123)" or
    // "the headless monitor (process 123)"; empty when unknown.
    std::string holder;
};

TTaken take();

// What the one that came second says: the window's own text, and which one
// runs when it is the headless monitor (the window's text alone would send
// the user looking for a window that is not there).
std::string refusalText(const TTaken& taken);

} // namespace InstanceLock
