# Cross-builds for 64-bit ARM with Debian's g++-aarch64-linux-gnu, to show that the tree builds
# without x86 intrinsics or GCC's vector extensions (the `aarch64` preset). Only the static
# libraries are built: nothing is linked, so no ARM FreeType or fontconfig is needed, and
# their headers are the build machine's (the same on every architecture), found after the
# cross compiler's own.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_CXX_FLAGS_INIT "-idirafter /usr/include")
