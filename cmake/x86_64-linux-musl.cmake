# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# The build host's own compiler with musl (musl-dev) in place of glibc.
# The system is the build host's, so this is no cross build: the tests
# run the tool directly.
set(CMAKE_C_COMPILER x86_64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER x86_64-linux-gnu-g++)

# musl's headers before glibc's; -B takes its start-up objects, -L its libc.a.
set(musl /usr/lib/x86_64-linux-musl)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES /usr/include/x86_64-linux-musl)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-B${musl}/ -L${musl}")
