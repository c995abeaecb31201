# The Debian packages (`make package`, CPack's DEB generator): `vantor`, the programs with
# the window module, their man pages and menu entries; `libvantor-dev`, what another
# project builds on (install.cmake says what goes where). Their runtime dependencies are
# found by dpkg-shlibdeps; the development package's, for building, are named here.
set(VANTOR_PACKAGING_DIR ${PROJECT_BINARY_DIR}/packaging)

# Each package's copyright file is the licence, in Debian's machine-readable form.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX REPLACE "^.*Copyright \\(c\\) ([^\n]*)\n\n" "" licence_terms "${licence}")
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" _ "${licence}")
set(copyright_holder ${CMAKE_MATCH_1})
string(REGEX REPLACE "\n\n" "\n.\n" licence_terms "${licence_terms}")
string(REGEX REPLACE "\n([^\n])" "\n \\1" licence_terms " ${licence_terms}")
file(CONFIGURE OUTPUT ${VANTOR_PACKAGING_DIR}/copyright @ONLY CONTENT [=[
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: vantor
Upstream-Contact: The Vantor developers <vantor@example.org>

Files: *
Copyright: @copyright_holder@
License: Expat

License: Expat
@licence_terms@]=])

# The man pages, made from each program's --help and --version (man_page.cmake).
set(man_pages "")
set(what_fontsheet "lists the installed fonts and saves one's characters as a bitmap strip")
set(what_vantor_demo "shows what the Vantor display framework draws")
foreach(program fontsheet vantor_demo)
    set(page ${VANTOR_PACKAGING_DIR}/${program}.1.gz)
    add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DPAGE=${page}
            "-DWHAT=${what_${program}}"
            -P ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
        DEPENDS ${program} ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
        COMMENT "Making the man page of ${program}" VERBATIM)
    list(APPEND man_pages ${page})
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT programs OPTIONAL)
    install(FILES packaging/${program}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT programs)
endforeach()
add_custom_target(man_pages DEPENDS ${man_pages})

foreach(component programs dev)
    if(component STREQUAL "programs")
        set(package vantor)
    else()
        set(package libvantor-dev)
    endif()
    set(PACKAGE ${package})
    set(VERSION ${PROJECT_VERSION})
    configure_file(packaging/changelog.in ${VANTOR_PACKAGING_DIR}/${package}/changelog @ONLY)
    add_custom_command(OUTPUT ${VANTOR_PACKAGING_DIR}/${package}/changelog.gz
        COMMAND gzip -9nkf ${VANTOR_PACKAGING_DIR}/${package}/changelog
        DEPENDS ${VANTOR_PACKAGING_DIR}/${package}/changelog)
    list(APPEND changelogs ${VANTOR_PACKAGING_DIR}/${package}/changelog.gz)
    install(FILES ${VANTOR_PACKAGING_DIR}/copyright ${VANTOR_PACKAGING_DIR}/${package}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component} OPTIONAL)
    string(TOUPPER ${component} COMPONENT)
    set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_NAME ${package})
endforeach()
add_custom_target(package_files DEPENDS man_pages ${changelogs})

set(CPACK_PACKAGE_NAME vantor)
set(CPACK_PACKAGE_VENDOR "The Vantor developers")
set(CPACK_PACKAGE_CONTACT "The Vantor developers <vantor@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL programs dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENT_DEV_DEPENDS programs)

set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION graphics)
set(CPACK_COMPONENT_PROGRAMS_DESCRIPTION "font sheet tool and demo of the Vantor display framework
fontsheet lists every installed font with a sample line, and saves the
characters 1 to 255 of the chosen one as a strip of 16-pixel cells in a
24-bit bitmap. vantor_demo shows the framework's colour-keyed blits, blends,
frame trail and palette mode. Both take the screen at 640 x 480, or show
themselves in a window.")
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# Building on the framework needs the platform's libraries and pkg-config, which the
# CMake package uses to find them.
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libfreetype-dev, libfontconfig-dev, pkg-config")
set(CPACK_COMPONENT_DEV_DESCRIPTION "Vantor display framework (development files)
Vantor is a small full-screen 2D display framework written against the
Windows API (DirectDraw, GDI, USER), with a stand-in for that API on Linux.
This package holds its headers, static libraries, CMake package
(find_package(Vantor)) and pkg-config file (vantor).")
include(CPack)
