#pragma once

enum TThreadPriority
{
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

// Applies a priority to the calling thread. Raising a priority above normal
// usually needs privileges; when the platform refuses, the thread keeps the
// priority it has, silently.
void applyCurrentThreadPriority(TThreadPriority priority);
