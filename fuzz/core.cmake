# Fuzz targets of src/core.
travimetra_fuzz(route_table
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/core/RouteTableFuzz.cpp
    LIBS travimetra_core)
