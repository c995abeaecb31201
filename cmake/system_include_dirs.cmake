# The two include folders the system's targets (display/, surfaces/, launch/, tool/ and the
# demo) see, made in the build tree so that nothing else of the source tree is on their path:
#   VANTOR_SYSTEM_ROOT      the system's own folders, linked in, for "display/..." and the like;
#   VANTOR_PLATFORM_FACE    win32.h alone, forwarding to the platform's one public header.
# Installed, both are one folder, VANTOR_INCLUDE_DIR (see install.cmake).
# The platform's headers reach each other by paths relative to themselves, so a system source
# that names any of them but win32.h (or the platform folder itself) does not compile.
set(VANTOR_SYSTEM_ROOT ${PROJECT_BINARY_DIR}/system_root)
file(MAKE_DIRECTORY ${VANTOR_SYSTEM_ROOT})
foreach(folder display surfaces launch tool demo)
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${VANTOR_SYSTEM_ROOT}/${folder} SYMBOLIC)
endforeach()

# Written only when its text changes, so a new configure rebuilds nothing.
set(VANTOR_PLATFORM_FACE ${PROJECT_BINARY_DIR}/platform_face)
file(CONFIGURE OUTPUT ${VANTOR_PLATFORM_FACE}/win32.h CONTENT [=[
// Made by the build: the platform's public header, the only one the system can name.
#include "@PROJECT_SOURCE_DIR@/platform/win32.h"
]=] @ONLY)

set(VANTOR_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/vantor)
