# Compiles one-line sources with the include folders a system target gets and fails unless
# the platform's public header and the system's own headers compile and every platform
# internal, named any way the include path could answer, does not.
# Run as: cmake -DCOMPILER=<c++> -DINCLUDES=<dir|dir|...> -DWORK_DIR=<scratch folder>
#               -P check_platform_face.cmake
foreach(variable COMPILER INCLUDES WORK_DIR)
    if(NOT ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()

string(REPLACE "|" ";" include_dirs "${INCLUDES}")
list(TRANSFORM include_dirs PREPEND "-I")
file(MAKE_DIRECTORY ${WORK_DIR})

# Sets `compiled` to whether a source holding only `#include "<header>"` compiles, and
# `output` to what the compiler said.
function(compile_include header)
    string(MAKE_C_IDENTIFIER ${header} name)
    set(source ${WORK_DIR}/${name}.cpp)
    file(WRITE ${source} "#include \"${header}\"\n")
    execute_process(COMMAND ${COMPILER} -std=c++20 -fsyntax-only ${include_dirs} ${source}
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(status EQUAL 0)
        set(compiled TRUE PARENT_SCOPE)
    else()
        set(compiled FALSE PARENT_SCOPE)
    endif()
    set(output "${out}" PARENT_SCOPE)
endfunction()

set(faults "")
foreach(header win32.h display/display_device.h surfaces/surface.h tool/fontsheet.h)
    compile_include(${header})
    if(NOT compiled)
        list(APPEND faults "${header} should compile for the system but does not:\n${output}")
    endif()
endforeach()
# The platform's own folder, a header the public one includes, the testing hooks, the
# platform reached from the source tree's root, and a library the platform is built on.
foreach(header call_trace.h ddraw/ddraw.h testing.h platform/call_trace.h platform/win32.h
               ft2build.h)
    compile_include(${header})
    if(compiled)
        list(APPEND faults "${header} compiles for the system, but is the platform's own")
    elseif(NOT output MATCHES "(No such file|file not found)")
        list(APPEND faults "${header} fails for another reason than being out of reach:\n${output}")
    endif()
endforeach()

if(faults)
    list(JOIN faults "\n" report)
    message(FATAL_ERROR "${report}")
endif()
message(STATUS "The system reaches the platform through win32.h alone")
