# Fuzz targets of src/snmp.
travimetra_fuzz(snmp_decode
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/snmp/SnmpDecodeFuzz.cpp
    LIBS travimetra_snmp)
# The strict reply check of the SNMPv2c reads, binding matching, GetBulk pages.
travimetra_fuzz(snmp_response
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/snmp/SnmpResponseFuzz.cpp
    LIBS travimetra_snmp)
travimetra_fuzz(snmp_v3_decode
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/snmp/SnmpV3DecodeFuzz.cpp
    LIBS travimetra_snmp)
