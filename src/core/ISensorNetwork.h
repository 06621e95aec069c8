#pragma once

#include "ISnmpReader.h"

// A reader that knows only single gets, each answered with a text: what the
// scripted networks of the tests are. A request of one OID is answered
// through readValue, its text as a text value (the poll of SNMPv1 reads such
// a text as a number, as it reads an agent's octet string); more are refused.
class ISensorNetwork : public ISnmpReader
{
public:
    // An SNMP get of `oid`: true when the agent answered, `value` then holds
    // the value as text; false with `value` empty on any failure.
    virtual bool readValue(const std::string& oid, const std::string& community,
                           const std::string& host, std::string& value)
    {
        (void)oid, (void)community, (void)host;
        value.clear();
        return false;
    }
    TReadReply read(const TReadRequest& request) override
    {
        TReadReply reply;
        reply.values.resize(request.oids.size());
        std::string text;
        if (request.oids.size() == 1 &&
            readValue(request.oids[0], request.community, request.host, text)) {
            reply.answered = true;
            reply.values[0] = SnmpValue::ofText(std::move(text));
        }
        return reply;
    }
};
