# The framework used as another project uses it: the example built on the install of this
# build, on its pkg-config file and with the source tree as a subproject, and the installed
# programs run in a real window. The install is made from this build, so nothing is built
# twice but the example (and, as a subproject, the framework). Sanitizer builds leave these
# out: the libraries they install need the sanitizers' runtime in every program.
if(CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    return()
endif()

set(VANTOR_CONSUMERS ${PROJECT_BINARY_DIR}/consumers)
foreach(step install package pkg-config subproject)
    add_test(NAME Package.Example.${step}
        COMMAND ${CMAKE_COMMAND} -DSTEP=${step} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
            -DBINARY_DIR=${PROJECT_BINARY_DIR} -DWORK=${VANTOR_CONSUMERS} -DCXX=${CMAKE_CXX_COMPILER}
            -DLAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
            -P ${PROJECT_SOURCE_DIR}/tests/package/consumer_build.cmake)
    set_tests_properties(Package.Example.${step} PROPERTIES LABELS process)
endforeach()
set_tests_properties(Package.Example.install PROPERTIES FIXTURES_SETUP vantor_installed)
set_tests_properties(Package.Example.package PROPERTIES
    FIXTURES_REQUIRED vantor_installed FIXTURES_SETUP vantor_example_installed)
set_tests_properties(Package.Example.pkg-config PROPERTIES FIXTURES_REQUIRED vantor_installed)

add_executable(installed_programs_test tests/package/installed_programs.cpp)
target_link_libraries(installed_programs_test PRIVATE vantor_test_support)
target_compile_definitions(installed_programs_test PRIVATE
    VANTOR_INSTALLED_EXAMPLE="${VANTOR_CONSUMERS}/example-prefix/bin/vantor_example"
    VANTOR_INSTALLED_DEMO="${VANTOR_CONSUMERS}/prefix/${CMAKE_INSTALL_BINDIR}/vantor_demo")
add_test(NAME Package.InstalledProgramsInAWindow COMMAND installed_programs_test)
set_tests_properties(Package.InstalledProgramsInAWindow PROPERTIES LABELS x11
    FIXTURES_REQUIRED "vantor_installed;vantor_example_installed")

# The Windows programs run on their own: none needs a DLL of the compiler's runtime.
if(TARGET windows_programs)
    find_program(VANTOR_MINGW_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)
    add_test(NAME Package.WindowsProgramsStandAlone
        COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${VANTOR_MINGW_OBJDUMP}
            "-DPROGRAMS=${VANTOR_WINDOWS_BUILD}/fontsheet.exe|${VANTOR_WINDOWS_BUILD}/vantor_demo.exe|${VANTOR_WINDOWS_BUILD}/examples/vantor_example.exe"
            -P ${PROJECT_SOURCE_DIR}/cmake/check_windows_imports.cmake)
    set_tests_properties(Package.WindowsProgramsStandAlone PROPERTIES LABELS quick)
endif()
