#include "SnmpWalk.h"

#include "BerTag.h"
#include "WaitCancel.h"

#include <algorithm>

bool snmpWaitsCancelled()
{
    const WaitCancel* token = WaitCancel::current();
    return token && token->fired();
}

void cutAgentText(SnmpBinding& binding)
{
    if ((binding.ValueType != BerTag::OctetString && binding.ValueType != BerTag::Opaque) ||
        binding.Value.size() <= kMaxAgentTextLength)
        return;
    // Not inside a UTF-8 character: back to the start of the one cut through
    // (at most three continuation bytes).
    std::size_t end = kMaxAgentTextLength;
    for (int back = 0;
         back < 3 && end > 0 && (static_cast<unsigned char>(binding.Value[end]) & 0xC0) == 0x80;
         ++back)
        --end;
    binding.Value.resize(end);
}

SnmpWalkBudget::SnmpWalkBudget(const SnmpWalkLimits& limits, Clock::time_point start)
    : m_limits(limits), m_deadline(start + limits.Deadline)
{
}

bool SnmpWalkBudget::keeps(const SnmpBinding& binding) const
{
    return !m_limits.CountersOnly || isCounterType(binding.ValueType);
}

bool SnmpWalkBudget::take(SnmpBinding& binding)
{
    if (m_rows >= m_limits.MaxRows) {
        m_end = SnmpWalkEnd::RowLimit;
        return false;
    }
    cutAgentText(binding);
    const std::size_t bytes = binding.Oid.size() + binding.Value.size();
    if (bytes > m_limits.MaxBytes - std::min(m_bytes, m_limits.MaxBytes)) {
        m_end = SnmpWalkEnd::ByteLimit;
        return false;
    }
    ++m_rows;
    m_bytes += bytes;
    return true;
}

int SnmpWalkBudget::pageTimeout(int wantedMs, Clock::time_point now) const
{
    if (now >= m_deadline)
        return 0;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_deadline - now).count();
    return static_cast<int>(std::min<long long>(std::max(wantedMs, 0), left));
}

std::size_t SnmpWalkBudget::rowsLeft() const
{
    return m_limits.MaxRows - std::min(m_rows, m_limits.MaxRows);
}
