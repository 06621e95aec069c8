#include "TSensorConfig.h"

TSensorConfig TSensorConfig::fromRecord(const TSensorRecord& record)
{
    TSensorConfig config;
    static_cast<TSensorDefinition&>(config) = record;
    return config;
}

void TSensorConfig::applyTo(TSensorRecord& record) const
{
    static_cast<TSensorDefinition&>(record) = *this;
}
