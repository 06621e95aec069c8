#pragma once

#include "Ber.h"

#include <string>

// One variable binding of an SNMP message, all of it as text.
struct TSNMPMib
{
    std::string Oid;   // dotted OID text, no leading dot
    std::string Value; // value text as ReadItem renders it
    int ValueType = BerTag::Null;
};
