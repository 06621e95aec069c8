#pragma once

#include <string>

// An SNMPv1 get of one OID from `host`, UDP port 161. True when the agent
// answered; `value` is then the text of the answer's binding for exactly that
// OID (empty when there is none or it is NULL). False, with `value` empty, on
// a time-out (5000 ms, no retry) or any socket error.
bool SNMPReadValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value);

// An SNMPv1 get-next. On success `oid` becomes the OID of the answer's first
// binding (if it has one) and `value` its value text; on failure `oid` stays
// and `value` is empty.
bool SNMPReadNext(std::string& oid, const std::string& community, const std::string& host,
                  std::string& value);
