# Fuzz targets of src/util: the version record scanner and the store file parser.
travimetra_fuzz(version_block
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/util/VersionBlockFuzz.cpp
    LIBS travimetra_util)
travimetra_fuzz(reg_store
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/util/RegStoreFuzz.cpp
    LIBS travimetra_util)
