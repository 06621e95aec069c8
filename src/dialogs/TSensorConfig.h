#pragma once

#include "SensorDefinition.h"
#include "TSensorRecord.h"

// One entry of the options dialog's working list: a sensor's definition (what
// it keeps in the store, plus its two counter OIDs). No poll state, no
// controls.
struct TSensorConfig : TSensorDefinition
{
    static TSensorConfig fromRecord(const TSensorRecord& record);
    // Copies the definition into the record; the rest of it stays.
    void applyTo(TSensorRecord& record) const;

    bool operator==(const TSensorConfig& other) const { return sameDefinition(*this, other); }
    bool operator!=(const TSensorConfig& other) const { return !(*this == other); }
};
