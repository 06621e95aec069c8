# Fuzz targets of src/metrics.
travimetra_fuzz(label_value
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/metrics/LabelValueFuzz.cpp
    LIBS travimetra_metrics)
