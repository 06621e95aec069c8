#pragma once

#include "ISnmpReader.h"

#include <optional>

// One get that went over the wire, with the tick counts around it.
struct TRecordedRead
{
    TReadRequest request;
    TReadReply reply;
    uint32_t sentTick = 0;
    uint32_t endTick = 0;
};

// A sensor's poll is a plain sequence of calls on its network, so running it
// again with the same answers takes the same path. The engine uses that to
// read the first get of many sensors together: a run over this network with
// nothing recorded names the poll's first get; a run over the recorded
// exchange takes that get (and the tick counts around it) from the record.
// Every other call goes to the network behind, or, with none behind, is
// answered with nothing and noted: the run's reading is then of no use, and
// the poll has to go on with the real network.
class ReplayNetwork : public ISnmpReader
{
public:
    ReplayNetwork(std::optional<TRecordedRead> recorded, ISnmpReader* behind);

    TReadReply read(const TReadRequest& request) override;
    bool walk(const TReadRequest& column,
              std::vector<std::pair<std::string, std::string>>& rows) override;
    int pingRoundTrip(const std::string& host) override;
    uint32_t tickCount() override;

    // The poll asked for more than the record holds (and nothing is behind).
    bool wantedMore() const { return m_wantedMore; }
    // The poll's first exchange, when it was a get.
    const std::optional<TReadRequest>& firstRead() const { return m_firstRead; }

    static bool sameRequest(const TReadRequest& a, const TReadRequest& b);

private:
    // Notes a call the record cannot answer; true when one behind takes it.
    bool passOn();

    std::optional<TRecordedRead> m_recorded;
    ISnmpReader* m_behind;
    bool m_replayed = false; // the recorded get was taken
    bool m_endTaken = false; // and the tick count after it
    bool m_anyCall = false;  // an exchange was asked for
    bool m_wantedMore = false;
    std::optional<TReadRequest> m_firstRead;
};
