# Benchmarks of src/usage and src/usagewindow: the accounting's share of a
# poll pass and the usage window's opening, each beside its yardstick.
travimetra_bench(bench_usage
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/usage/UsageBench.cpp
    LIBS travimetra_usagewindow travimetra_app)
