#pragma once

// The bounds every walk of a table column keeps, whatever the agent sends:
// rows, bytes and an overall deadline, texts cut to a stated length before
// they are kept, and how the walk ended, so that a list cut short is never
// shown as if it were whole.

#include "SnmpBinding.h"

#include <chrono>
#include <cstddef>
#include <string>

// Octet strings from agents are kept and shown up to this many bytes: the
// size of a DisplayString (ifDescr, sysName), which also holds every ifAlias.
constexpr std::size_t kMaxAgentTextLength = 255;

enum class SnmpWalkEnd
{
    Complete,   // the column (or the agent's view) ended
    NoAnswer,   // a page got no answer: the rows before it are kept
    OutOfOrder, // a page went back, stood still or was malformed
    RowLimit,   // MaxRows rows were taken
    ByteLimit,  // MaxBytes of names and values were taken
    TimeLimit,  // the deadline passed
    Cancelled,  // the wait was cancelled (the user, or the program ending)
};

struct SnmpWalkLimits
{
    std::size_t MaxRows = 4096;
    // Names and values of the rows kept, after the cut.
    std::size_t MaxBytes = std::size_t(1) << 20;
    // For the whole walk; each page waits at most what is left of it.
    std::chrono::milliseconds Deadline = std::chrono::seconds(60);
    // Only rows that are numbers a counter can be (INTEGER, Counter32,
    // Gauge32, Counter64) are kept; the walk goes on past the others.
    bool CountersOnly = false;
};

// True when the calling thread's network waits were cancelled.
bool snmpWaitsCancelled();

// Cuts an octet string or Opaque value to kMaxAgentTextLength bytes, not
// inside a UTF-8 character.
void cutAgentText(SnmpBinding& binding);

// One walk's account of its limits.
class SnmpWalkBudget
{
public:
    using Clock = std::chrono::steady_clock;

    explicit SnmpWalkBudget(const SnmpWalkLimits& limits, Clock::time_point start = Clock::now());

    // Cuts the binding's text and counts it in; false, and nothing counted,
    // when a limit is reached (end() then says which).
    bool take(SnmpBinding& binding);
    // What a page may wait, at most wantedMs: 0 once the deadline passed.
    int pageTimeout(int wantedMs, Clock::time_point now = Clock::now()) const;
    // Rows that may still be taken.
    std::size_t rowsLeft() const;
    bool keeps(const SnmpBinding& binding) const;

    SnmpWalkEnd end() const { return m_end; }
    void setEnd(SnmpWalkEnd end) { m_end = end; }

private:
    SnmpWalkLimits m_limits;
    Clock::time_point m_deadline;
    std::size_t m_rows = 0;
    std::size_t m_bytes = 0;
    SnmpWalkEnd m_end = SnmpWalkEnd::Complete;
};
