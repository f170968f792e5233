# The camera board: 32-bit ARM (armhf) with Debian's cross compiler and the
# armhf multiarch libraries (libtinyxml-dev:armhf, libgtest-dev:armhf, ...).
# Programs built here run under qemu-arm with the multiarch root as its
# library root; the cross toolchain's own libc (-L /usr/arm-linux-gnueabihf)
# mixed with the multiarch libraries crashes every program that starts a
# thread.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)

set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L /)

# Headers and libraries from the multiarch tree; programs (cmake, pkg-config)
# from the host.
set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabihf)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/arm-linux-gnueabihf/pkgconfig:/usr/share/pkgconfig)
