# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Debian's soft-float cross compiler (armel) with musl (musl-dev:armel) in
# place of glibc, asked for ARMv7-A code that uses no floating-point unit:
# static executables for any ARMv7-A Linux, with or without VFP, whose
# kernel may even lack VFP support.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
set(abi "-march=armv7-a -mfloat-abi=soft")
set(CMAKE_C_FLAGS_INIT ${abi})
set(CMAKE_CXX_FLAGS_INIT ${abi})
# musl's headers before glibc's; -B takes its start-up objects, -L its libc.a.
set(musl /usr/lib/arm-linux-musleabi)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES /usr/include/arm-linux-musleabi)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-B${musl}/ -L${musl}")
set(CMAKE_FIND_ROOT_PATH ${musl})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
# A static executable needs no library root.  The emulated core has no
# VFP or NEON, so that any such instruction stops the tests.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -cpu cortex-a8,vfp=off,neon=off
  CACHE STRING "Runs target programs on the build host")
