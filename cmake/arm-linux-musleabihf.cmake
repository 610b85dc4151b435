# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Debian's ARMv7-A hard-float cross compiler with musl (musl-dev:armhf) in
# place of glibc, for static executables that run on any ARMv7-A Linux.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)

# musl's headers before glibc's; -B takes its start-up objects, -L its libc.a.
set(musl /usr/lib/arm-linux-musleabihf)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES /usr/include/arm-linux-musleabihf)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-B${musl}/ -L${musl}")
set(CMAKE_FIND_ROOT_PATH ${musl})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)

# A static executable needs no library root.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm)
