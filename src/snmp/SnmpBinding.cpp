#include "SnmpBinding.h"

#include "BerTag.h"

bool SnmpBinding::isException() const
{
    return ValueType == BerTag::NoSuchObject || ValueType == BerTag::NoSuchInstance ||
           ValueType == BerTag::EndOfMibView;
}

bool SnmpBinding::isUnsigned() const
{
    return ValueType == BerTag::Counter32 || ValueType == BerTag::Gauge32 ||
           ValueType == BerTag::TimeTicks || ValueType == BerTag::Counter64;
}

bool SnmpBinding::hasValue() const
{
    return ValueType != BerTag::Null && !isException();
}

bool isCounterType(int valueType)
{
    return valueType == BerTag::Integer || valueType == BerTag::Counter32 ||
           valueType == BerTag::Gauge32 || valueType == BerTag::Counter64;
}
