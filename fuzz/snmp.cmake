# Fuzz targets of src/snmp.
travimetra_fuzz(snmp_decode
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/snmp/SnmpDecodeFuzz.cpp
    LIBS travimetra_snmp)
travimetra_fuzz(snmp_v3_decode
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/snmp/SnmpV3DecodeFuzz.cpp
    LIBS travimetra_snmp)
