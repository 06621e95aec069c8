# Benchmarks of src/core: the settings load and save.
travimetra_bench(bench_core
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/core/srcRegOptionsBench.cpp
    LIBS travimetra_core)
