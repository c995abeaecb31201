# The Windows build: the system's own sources against the real <windows.h>, <mmsystem.h>
# and <ddraw.h>, with the same include folders as on Linux (system_include_dirs.cmake): of the
# platform folder only win32.h is seen.

add_custom_target(system_includes ALL
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/check_system_includes.cmake
    COMMENT "Checking that the system includes nothing of the platform but win32.h")

file(GLOB VANTOR_SOURCES CONFIGURE_DEPENDS display/*.cpp surfaces/*.cpp)
add_library(vantor STATIC ${VANTOR_SOURCES})
target_include_directories(vantor PUBLIC ${VANTOR_SYSTEM_ROOT} ${VANTOR_PLATFORM_FACE})
# dxguid holds the interface identifiers (IID_IDirectDraw2); it is a static library.
target_link_libraries(vantor PUBLIC ddraw gdi32 user32 winmm dxguid)
add_dependencies(vantor system_includes)

include(cmake/vantor_tool.cmake)
# A program for the desktop: run from a console, it writes to that console (tool/console.cpp).
add_executable(fontsheet WIN32 ${VANTOR_TOOL_ENTRY})
target_link_libraries(fontsheet PRIVATE vantor_tool)

# The framework demo, from its own sources and the framework alone, as on Linux.
file(GLOB DEMO_SOURCES CONFIGURE_DEPENDS demo/*.cpp)
add_executable(vantor_demo WIN32 ${DEMO_SOURCES})
target_link_libraries(vantor_demo PRIVATE vantor)

# The text probe, built from the same source against the stand-in in the default build.
add_executable(text_probe tests/real_platform/text_probe.cpp)
target_include_directories(text_probe PRIVATE ${VANTOR_PLATFORM_FACE})
target_link_libraries(text_probe PRIVATE ddraw gdi32 user32 dxguid)
