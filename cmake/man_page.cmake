# Makes a program's man page from what it prints for --help and --version (help2man),
# compressed as Debian keeps them.
# Run as: cmake -DPROGRAM=<the program> -DPAGE=<page.1.gz> "-DWHAT=<what it does>"
#               -P man_page.cmake
# A program that does not answer --version yet gets no page, with a warning; one that
# answers but whose help help2man cannot read is an error. The program runs headless, and
# Escape ends it should it start anyway.
foreach(variable PROGRAM PAGE WHAT)
    if(NOT ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()
get_filename_component(name ${PROGRAM} NAME)
set(ENV{VANTOR_VIDEO} headless)
set(ENV{VANTOR_KEYS} Escape)
file(REMOVE ${PAGE})

execute_process(COMMAND ${PROGRAM} --version RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET
    TIMEOUT 60)
if(NOT status EQUAL 0)
    message(WARNING "${name} does not answer --version yet: it gets no man page")
    return()
endif()

string(REGEX REPLACE "\\.gz$" "" page ${PAGE})
execute_process(COMMAND help2man --no-info "--name=${WHAT}" --output=${page} ${PROGRAM}
    RESULT_VARIABLE status TIMEOUT 60)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "help2man could not make the man page of ${name}")
endif()
execute_process(COMMAND gzip -9nf ${page} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "could not compress ${page}")
endif()
