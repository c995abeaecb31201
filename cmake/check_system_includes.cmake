# Fails when a source of the system (display/, surfaces/, launch/, tool/, and the demo beside
# the tool) includes anything of the platform other than win32.h, the one header that stands
# for the Windows API.
# Run as: cmake -DSOURCE_DIR=<the source tree> -P check_system_includes.cmake
if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

file(GLOB_RECURSE sources ${SOURCE_DIR}/display/* ${SOURCE_DIR}/surfaces/* ${SOURCE_DIR}/launch/*
     ${SOURCE_DIR}/tool/* ${SOURCE_DIR}/demo/*)
set(faults "")
foreach(source ${sources})
    file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
        if(NOT line MATCHES "#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
            list(APPEND faults "${source}: an include this check cannot read: ${line}")
            continue()
        endif()
        set(name ${CMAKE_MATCH_1})
        if(name STREQUAL "win32.h")
            continue()
        endif()
        # Whatever the platform folder would answer for this name, it is not the system's.
        if(EXISTS ${SOURCE_DIR}/platform/${name} OR name MATCHES "(^|/)platform/|\\.\\.")
            list(APPEND faults "${source}: includes ${name} of the platform")
        elseif(line MATCHES "\"" AND NOT name MATCHES "^(display|surfaces|launch|tool|demo)/")
            list(APPEND faults "${source}: includes ${name}, which is not the system's")
        endif()
    endforeach()
endforeach()

if(faults)
    list(JOIN faults "\n" report)
    message(FATAL_ERROR "The system includes more of the platform than win32.h:\n${report}")
endif()
list(LENGTH sources count)
message(STATUS "${count} system sources include nothing of the platform but win32.h")
