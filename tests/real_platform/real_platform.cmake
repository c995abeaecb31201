# The real platform: the Windows programs (fontsheet.exe, the demo and the text probe) cross-built
# from the same sources with mingw-w64 into the windows folder of this build, the probe
# built against the stand-in too, and the test that runs them on Wine.
add_executable(text_probe tests/real_platform/text_probe.cpp)
target_link_libraries(text_probe PRIVATE vantor_entry)

set(VANTOR_WINDOWS_BUILD ${PROJECT_BINARY_DIR}/windows)
find_program(VANTOR_MINGW_CXX x86_64-w64-mingw32-g++-posix)
if(VANTOR_MINGW_CXX)
    include(ExternalProject)
    ExternalProject_Add(windows_programs
        SOURCE_DIR ${PROJECT_SOURCE_DIR}
        BINARY_DIR ${VANTOR_WINDOWS_BUILD}
        CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
                   -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
        BUILD_ALWAYS ON
        INSTALL_COMMAND "")
else()
    message(WARNING "mingw-w64 is missing: the real-platform test will fail (make test installs it)")
endif()

# One program and one test, not a test per case: the cases share one Wine prefix, which
# takes the longest to make.
add_executable(wine_platform_test tests/real_platform/wine_platform.cpp tests/real_platform/wine_prefix.cpp
    tests/real_platform/wine_command_line.cpp
    tests/real_platform/sheet_comparison.cpp tests/real_platform/probe_comparison.cpp)
target_link_libraries(wine_platform_test PRIVATE vantor_test_support)
add_dependencies(wine_platform_test fontsheet)
add_test(NAME RealPlatform.ProgramsOnWine COMMAND wine_platform_test)
set_tests_properties(RealPlatform.ProgramsOnWine PROPERTIES LABELS x11)
target_compile_definitions(wine_platform_test PRIVATE VANTOR_WINDOWS_BUILD="${VANTOR_WINDOWS_BUILD}"
    VANTOR_TEXT_PROBE="$<TARGET_FILE:text_probe>")
add_dependencies(wine_platform_test text_probe)
if(TARGET windows_programs)
    add_dependencies(wine_platform_test windows_programs)
endif()
