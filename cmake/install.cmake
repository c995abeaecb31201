# What `cmake --install` puts under the prefix. For another project: the framework's public
# headers, included as the system includes them (display/..., surfaces/..., win32.h), its
# libraries, and the CMake package and pkg-config file naming them (component `dev`). For
# the people who run the programs: fontsheet, the demo and the window module (`programs`).
include(CMakePackageConfigHelpers)

set(VANTOR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Vantor)

# The public headers: the framework's two, and the platform's win32.h with the headers it
# gathers. These sit in a folder of their own beside a win32.h that forwards to them, so
# that, as in the tree, the platform is named only through win32.h.
install(FILES display/display_device.h DESTINATION ${VANTOR_INCLUDE_DIR}/display COMPONENT dev)
install(FILES surfaces/surface.h DESTINATION ${VANTOR_INCLUDE_DIR}/surfaces COMPONENT dev)
foreach(header win32.h base_types.h ddraw/ddraw.h ddraw/ddraw_records.h ddraw/ddraw_results.h
               gdi/gdi.h kernel/console.h kernel/multibyte.h kernel/processor.h user/user.h)
    get_filename_component(folder ${header} DIRECTORY)
    install(FILES platform/${header} DESTINATION ${VANTOR_INCLUDE_DIR}/platform/${folder}
        COMPONENT dev)
endforeach()
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/installed_face/win32.h CONTENT [=[
// The platform's public header: the one header of it a program on the framework names.
#include "platform/win32.h"
]=])
install(FILES ${PROJECT_BINARY_DIR}/installed_face/win32.h DESTINATION ${VANTOR_INCLUDE_DIR}
    COMPONENT dev)

# The libraries, under the names they have as a subproject's targets.
set_target_properties(vantor PROPERTIES EXPORT_NAME framework)
set_target_properties(vantor_platform PROPERTIES EXPORT_NAME platform)
set_target_properties(vantor_entry PROPERTIES EXPORT_NAME entry)
install(TARGETS vantor vantor_platform vantor_entry EXPORT VantorTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
install(EXPORT VantorTargets NAMESPACE Vantor:: DESTINATION ${VANTOR_CMAKE_DIR} COMPONENT dev)

# A program linked to the installed platform finds the window module through its run path.
if(IS_ABSOLUTE ${VANTOR_MODULE_DIR})
    set(installed_module_dir ${VANTOR_MODULE_DIR})
else()
    set(installed_module_dir $<INSTALL_PREFIX>/${VANTOR_MODULE_DIR})
endif()
target_link_options(vantor_platform INTERFACE
    $<INSTALL_INTERFACE:-Wl,-rpath,${installed_module_dir}>)

configure_package_config_file(cmake/VantorConfig.cmake.in
    ${PROJECT_BINARY_DIR}/VantorConfig.cmake INSTALL_DESTINATION ${VANTOR_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VantorConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VantorConfig.cmake ${PROJECT_BINARY_DIR}/VantorConfigVersion.cmake
    DESTINATION ${VANTOR_CMAKE_DIR} COMPONENT dev)

# The pkg-config file is written when installing, once the prefix is known: `cmake --install
# --prefix` may name another than the one configured.
install(CODE "
    set(VANTOR_VERSION ${PROJECT_VERSION})
    set(VANTOR_LIBDIR ${CMAKE_INSTALL_LIBDIR})
    set(VANTOR_INCLUDE_DIR ${VANTOR_INCLUDE_DIR})
    set(VANTOR_MODULE_DIR ${VANTOR_MODULE_DIR})
    include(${PROJECT_SOURCE_DIR}/cmake/write_pkg_config.cmake)" COMPONENT dev)

# The programs, when built, and the window module where programs (sdl_module.cpp) look for it.
if(TARGET fontsheet)
    install(TARGETS fontsheet vantor_demo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT programs)
endif()
# A shared object is read, not run: it is not executable.
install(TARGETS vantor_sdl_presenter LIBRARY DESTINATION ${VANTOR_MODULE_DIR} COMPONENT programs
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
