# The font sheet tool as a library, vantor_tool: everything of tool/ but its WinMain, which
# the program alone compiles, for the program, its tests and the benchmarks alike, on Linux
# and in the Windows build.

# What a Windows program does before its own work, shared by the tool and the demo: the
# words of its command line, and the console of the program that started it.
file(GLOB LAUNCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/launch/*.cpp)
add_library(vantor_launch STATIC ${LAUNCH_SOURCES})
target_link_libraries(vantor_launch PUBLIC vantor)

set(VANTOR_TOOL_ENTRY ${PROJECT_SOURCE_DIR}/tool/win_main.cpp)
file(GLOB TOOL_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tool/*.cpp)
list(REMOVE_ITEM TOOL_SOURCES ${VANTOR_TOOL_ENTRY})
add_library(vantor_tool STATIC ${TOOL_SOURCES})
target_link_libraries(vantor_tool PUBLIC vantor vantor_launch)
# The version, defined once by project(), for --version.
target_compile_definitions(vantor_tool PRIVATE VANTOR_VERSION="${PROJECT_VERSION}")
# PNG sheets: the tool writes them itself (tool/coverage_png.cpp) and takes zlib's CRC-32 for
# their chunks. On Linux the program already loads zlib with FreeType; the Windows program
# carries it inside, as it does the compiler's run-time libraries.
if(WIN32)
    find_path(VANTOR_ZLIB_INCLUDE_DIR zlib.h REQUIRED)
    find_library(VANTOR_ZLIB_LIBRARY NAMES libz.a REQUIRED)
    target_include_directories(vantor_tool SYSTEM PRIVATE ${VANTOR_ZLIB_INCLUDE_DIR})
    target_link_libraries(vantor_tool PRIVATE ${VANTOR_ZLIB_LIBRARY})
else()
    pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET zlib)
    target_link_libraries(vantor_tool PRIVATE PkgConfig::ZLIB)
endif()
