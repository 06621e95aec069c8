# Benchmarks of src/widgets (Qt offscreen).
travimetra_bench(bench_widgets
    SOURCES widgets/WidgetsBench.cpp widgets/TextHistoryScope.cpp widgets/TextHistoryScope.h
    LIBS travimetra_widgets)
