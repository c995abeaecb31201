# Fails when a Windows program needs a DLL of the compiler's runtime beside it (the C++
# library, libgcc, the threads library): each must run on its own, on a bare Windows.
# Run as: cmake -DOBJDUMP=<x86_64-w64-mingw32-objdump> "-DPROGRAMS=<a.exe|b.exe|...>"
#               -P check_windows_imports.cmake
foreach(variable OBJDUMP PROGRAMS)
    if(NOT ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()
string(REPLACE "|" ";" programs "${PROGRAMS}")
foreach(program ${programs})
    execute_process(COMMAND ${OBJDUMP} -p ${program} RESULT_VARIABLE status OUTPUT_VARIABLE dump
        ERROR_VARIABLE dump)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${OBJDUMP} could not read ${program}:\n${dump}")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
    string(REGEX MATCHALL "DLL Name: (libstdc\\+\\+|libgcc|libwinpthread)[^\n;]*" runtime "${imports}")
    if(runtime)
        message(FATAL_ERROR "${program} needs the compiler's runtime beside it: ${runtime}")
    endif()
    string(REPLACE "DLL Name: " "" imports "${imports}")
    message(STATUS "${program} imports ${imports}")
endforeach()
