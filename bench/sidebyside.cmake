# The floor of the side-by-side window figures: a minimal Qt window, and a
# timer from a program's start to its first mapped window.
travimetra_bench(sidebyside_minimal_window
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sidebyside/floor/MinimalWindow.cpp
    LIBS Qt6::Widgets)
find_package(PkgConfig REQUIRED)
pkg_check_modules(FLOOR_XCB REQUIRED IMPORTED_TARGET xcb)
travimetra_bench(sidebyside_first_map
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sidebyside/floor/FirstMap.cpp
    LIBS PkgConfig::FLOOR_XCB)
travimetra_bench(sidebyside_usage_front
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sidebyside/floor/UsageFront.cpp
    LIBS travimetra_usage)
