# The programs built on the framework: the font sheet tool and the framework demo, both
# loading the window module when a window is wanted.

# The font sheet tool: a library the program, its tests and the benchmarks link.
include(cmake/vantor_tool.cmake)
add_executable(fontsheet ${VANTOR_TOOL_ENTRY})
target_link_libraries(fontsheet PRIVATE vantor_tool vantor_entry)
add_dependencies(fontsheet vantor_sdl_presenter)

# The framework demo: the operations the tool does not use, on screen (`make demo`).
file(GLOB DEMO_SOURCES CONFIGURE_DEPENDS demo/*.cpp)
add_executable(vantor_demo ${DEMO_SOURCES})
target_link_libraries(vantor_demo PRIVATE vantor vantor_launch vantor_entry)
target_compile_definitions(vantor_demo PRIVATE VANTOR_VERSION="${PROJECT_VERSION}")
add_dependencies(vantor_demo vantor_sdl_presenter)

# The programs people run carry the C++ runtime inside them, as the Windows build does:
# loading the shared one and binding its symbols is a measurable part of every start, and
# the tool is started for each sheet. The window presenter module keeps the shared runtime,
# so a windowed run holds two: nothing of C++ crosses the module's interface, which passes
# plain records, and each of its methods catches what it throws (contained_presenter.h).
# Sanitizer builds keep the shared runtime, whose allocator the sanitizers replace.
if(NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    foreach(program fontsheet vantor_demo)
        target_link_options(${program} PRIVATE -static-libstdc++ -static-libgcc)
    endforeach()
endif()
