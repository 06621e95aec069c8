# Benchmarks of src/usage and src/usagewindow: the accounting's share of a
# poll pass and the usage window's opening, each beside its yardstick.
travimetra_bench(bench_usage
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/usage/UsageBench.cpp
    LIBS travimetra_usagewindow travimetra_app)

# The report command and the history's opening at start, beside sqlite3.
travimetra_bench(bench_usage_report
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/usage/UsageReportBench.cpp
    LIBS travimetra_usage)
target_compile_definitions(bench_usage_report PRIVATE
    TRAVIMETRA_PROGRAM="$<TARGET_FILE:travimetra>"
    TRAVIMETRA_USAGE_FRONT="$<TARGET_FILE:sidebyside_usage_front>")
add_dependencies(bench_usage_report travimetra sidebyside_usage_front)
