# Builds the example (examples/) as another project would, one of the ways the README gives:
#   STEP=install     Vantor installed from this build into <WORK>/prefix
#   STEP=package     the example built on that install (find_package), installed into
#                    <WORK>/example-prefix, its build folder then removed
#   STEP=pkg-config  the example compiled with what `pkg-config vantor` says, and run
#   STEP=subproject  the example with Vantor's source tree as its subproject, and run;
#                    none of Vantor's programs built, nothing of it in the example's ctest
#                    or install
# Run as: cmake -DSTEP=<step> -DSOURCE_DIR=<Vantor's source> -DBINARY_DIR=<this build>
#   -DWORK=<scratch folder> -DCXX=<compiler> [-DLAUNCHER=<compiler launcher>] -P consumer_build.cmake
foreach(variable STEP SOURCE_DIR BINARY_DIR WORK CXX)
    if(NOT ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()
set(prefix ${WORK}/prefix)

# Runs a command, failing with what it said unless it succeeds.
function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        string(REPLACE ";" " " command "${ARGN}")
        message(FATAL_ERROR "${command} failed (${status}):\n${out}")
    endif()
    set(output "${out}" PARENT_SCOPE)
endfunction()

# Configures and builds the example in `build` with the given extra arguments. Release:
# without debug information the compiler cache serves each consumer build alike.
function(build_example build)
    file(REMOVE_RECURSE ${build})
    run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples -B ${build} -G Ninja -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER} ${ARGN})
    run(${CMAKE_COMMAND} --build ${build})
endfunction()

# The example runs headless to its end: one frame, then Escape.
function(run_example program)
    run(${CMAKE_COMMAND} -E env VANTOR_VIDEO=headless VANTOR_KEYS=- ${program})
endfunction()

if(STEP STREQUAL "install")
    file(REMOVE_RECURSE ${prefix})
    run(${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${prefix})
    # What was installed names nothing of the trees it was built from but the prefix (here
    # inside the build's tree).
    file(GLOB_RECURSE installed_text ${prefix}/*.cmake ${prefix}/*.pc)
    foreach(file ${installed_text})
        file(READ ${file} text)
        string(REPLACE "${prefix}" "<prefix>" text "${text}")
        foreach(tree ${SOURCE_DIR} ${BINARY_DIR})
            string(FIND "${text}" "${tree}" at)
            if(NOT at EQUAL -1)
                message(FATAL_ERROR "${file} names the build's tree ${tree}")
            endif()
        endforeach()
    endforeach()
elseif(STEP STREQUAL "package")
    build_example(${WORK}/package-build -DCMAKE_PREFIX_PATH=${prefix}
        -DCMAKE_INSTALL_PREFIX=${WORK}/example-prefix)
    run(${CMAKE_COMMAND} --install ${WORK}/package-build)
    file(REMOVE_RECURSE ${WORK}/package-build)
elseif(STEP STREQUAL "pkg-config")
    file(GLOB pc_file ${prefix}/lib*/pkgconfig/vantor.pc ${prefix}/lib/*/pkgconfig/vantor.pc)
    get_filename_component(pc_dir "${pc_file}" DIRECTORY)
    set(ENV{PKG_CONFIG_PATH} ${pc_dir})
    run(pkg-config --cflags --libs vantor)
    separate_arguments(flags UNIX_COMMAND "${output}")
    file(MAKE_DIRECTORY ${WORK}/pkg-config)
    run(${CXX} ${SOURCE_DIR}/examples/example.cpp ${flags} -o ${WORK}/pkg-config/vantor_example)
    run_example(${WORK}/pkg-config/vantor_example)
    # A library folder given as an absolute path is written as it is.
    file(REMOVE_RECURSE ${WORK}/pkg-config/root)
    run(${CMAKE_COMMAND} -E env DESTDIR=${WORK}/pkg-config/root ${CMAKE_COMMAND}
        -DCMAKE_INSTALL_PREFIX=/usr -DVANTOR_LIBDIR=/opt/vantor/lib64 -DVANTOR_INCLUDE_DIR=include/vantor
        -DVANTOR_MODULE_DIR=/opt/vantor/lib64/vantor -DVANTOR_VERSION=1
        -P ${SOURCE_DIR}/cmake/write_pkg_config.cmake)
    file(STRINGS ${WORK}/pkg-config/root/opt/vantor/lib64/pkgconfig/vantor.pc libdir REGEX "^libdir=")
    if(NOT libdir STREQUAL "libdir=/opt/vantor/lib64")
        message(FATAL_ERROR "an absolute library folder was written as '${libdir}'")
    endif()
elseif(STEP STREQUAL "subproject")
    build_example(${WORK}/subproject -DVANTOR_SOURCE_DIR=${SOURCE_DIR})
    run_example(${WORK}/subproject/vantor_example)
    if(EXISTS ${WORK}/subproject/vantor/fontsheet)
        message(FATAL_ERROR "Vantor built its programs for the project building it")
    endif()
    run(ctest --test-dir ${WORK}/subproject -N)
    if(NOT output MATCHES "Total Tests: 0")
        message(FATAL_ERROR "Vantor added tests to the project building it:\n${output}")
    endif()
    file(REMOVE_RECURSE ${WORK}/subproject-install)
    run(${CMAKE_COMMAND} --install ${WORK}/subproject --prefix ${WORK}/subproject-install)
    file(GLOB_RECURSE installed RELATIVE ${WORK}/subproject-install ${WORK}/subproject-install/*)
    if(NOT installed STREQUAL "bin/vantor_example")
        message(FATAL_ERROR "Vantor added to the install of the project building it: ${installed}")
    endif()
else()
    message(FATAL_ERROR "no such step: ${STEP}")
endif()
