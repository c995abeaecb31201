# Writes vantor.pc into <libdir>/pkgconfig, run by `cmake --install` with the folders set
# (VANTOR_LIBDIR, VANTOR_INCLUDE_DIR, VANTOR_MODULE_DIR: as configured, relative to the
# prefix or absolute) and VANTOR_VERSION. A folder configured absolute is written as it is.
foreach(folder LIBDIR INCLUDE_DIR MODULE_DIR)
    if(IS_ABSOLUTE "${VANTOR_${folder}}")
        set(${folder} "${VANTOR_${folder}}")
    else()
        set(${folder} "\${prefix}/${VANTOR_${folder}}")
    endif()
endforeach()
string(REPLACE "\${prefix}" "${CMAKE_INSTALL_PREFIX}" pkg_config_dir "${LIBDIR}/pkgconfig")
set(pc_file "$ENV{DESTDIR}${pkg_config_dir}/vantor.pc")

# The libraries are static: what they link to is asked for by every program.
file(CONFIGURE OUTPUT "${pc_file}" @ONLY CONTENT [=[
prefix=@CMAKE_INSTALL_PREFIX@
libdir=@LIBDIR@
includedir=@INCLUDE_DIR@
moduledir=@MODULE_DIR@

Name: Vantor
Description: Full-screen 2D display framework on the Windows API (DirectDraw, GDI, USER)
Version: @VANTOR_VERSION@
Requires: freetype2 fontconfig
Cflags: -I${includedir}
Libs: -L${libdir} -Wl,-rpath,${moduledir} -lvantor_entry -lvantor -lvantor_platform -ldl
]=])
message(STATUS "Installing: ${pc_file}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${pc_file}")
