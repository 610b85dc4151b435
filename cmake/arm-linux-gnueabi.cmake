# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Debian's soft-float cross compiler (armel), asked for ARMv7-A code with
# the soft-float calling convention, as a maker's SDK often builds: VFP
# instructions inside functions, floating-point arguments in core registers.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(triplet arm-linux-gnueabi)
set(CMAKE_C_COMPILER ${triplet}-gcc)
set(CMAKE_CXX_COMPILER ${triplet}-g++)
set(abi "-march=armv7-a -mfloat-abi=softfp -mfpu=vfpv3-d16")
set(CMAKE_C_FLAGS_INIT ${abi})
set(CMAKE_CXX_FLAGS_INIT ${abi})

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L /usr/${triplet}
  CACHE STRING "Runs target programs on the build host")
