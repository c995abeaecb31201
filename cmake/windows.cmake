# The Windows build: the system's own sources against the real <windows.h>, <mmsystem.h>
# and <ddraw.h>, with the same include folders as on Linux (system_include_dirs.cmake): of the
# platform folder only win32.h is seen.

add_custom_target(system_includes ALL
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -P ${PROJECT_SOURCE_DIR}/cmake/check_system_includes.cmake
    COMMENT "Checking that the system includes nothing of the platform but win32.h")

# The platform is Windows itself. dxguid holds the interface identifiers (IID_IDirectDraw2);
# it is a static library.
add_library(vantor_platform INTERFACE)
target_include_directories(vantor_platform INTERFACE ${VANTOR_PLATFORM_FACE})
target_link_libraries(vantor_platform INTERFACE ddraw gdi32 user32 winmm dxguid)
# Windows itself calls WinMain: the entry point has nothing to add.
add_library(vantor_entry INTERFACE)

file(GLOB VANTOR_SOURCES CONFIGURE_DEPENDS display/*.cpp surfaces/*.cpp)
add_library(vantor STATIC ${VANTOR_SOURCES})
target_include_directories(vantor PUBLIC ${VANTOR_SYSTEM_ROOT})
target_link_libraries(vantor PUBLIC vantor_platform)
add_dependencies(vantor system_includes)

# The names another project uses, as on Linux.
add_library(Vantor::framework ALIAS vantor)
add_library(Vantor::platform ALIAS vantor_platform)
add_library(Vantor::entry ALIAS vantor_entry)

if(NOT VANTOR_PROGRAMS)
    return()
endif()

include(cmake/vantor_tool.cmake)
# A program for the desktop: run from a console, it writes to that console
# (launch/parent_console.cpp).
add_executable(fontsheet WIN32 ${VANTOR_TOOL_ENTRY})
target_link_libraries(fontsheet PRIVATE vantor_tool)

# The framework demo, from its own sources, the framework and the launch helpers, as on Linux.
file(GLOB DEMO_SOURCES CONFIGURE_DEPENDS demo/*.cpp)
add_executable(vantor_demo WIN32 ${DEMO_SOURCES})
target_link_libraries(vantor_demo PRIVATE vantor vantor_launch)
target_compile_definitions(vantor_demo PRIVATE VANTOR_VERSION="${PROJECT_VERSION}")

# The example a newcomer copies, from its own CMakeLists.txt.
add_subdirectory(examples)

# The text probe, built from the same source against the stand-in in the default build.
add_executable(text_probe tests/real_platform/text_probe.cpp)
target_include_directories(text_probe PRIVATE ${VANTOR_PLATFORM_FACE})
target_link_libraries(text_probe PRIVATE ddraw gdi32 user32 dxguid)

# The zip for Windows (`make package-windows`): the two programs, each running on its own
# (the compiler's runtime is linked in, see the toolchain file), the README and the licence.
install(TARGETS fontsheet vantor_demo RUNTIME DESTINATION .)
install(FILES README.md LICENSE DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_FILE_NAME vantor-${PROJECT_VERSION}-windows-x86_64)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
include(CPack)
