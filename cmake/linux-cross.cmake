# Shared by the Linux cross toolchain files: each sets BOMTABLES_TRIPLET and
# BOMTABLES_QEMU, then includes this. Debian's cross compilers and their
# target libraries are used as installed; qemu-user runs what is built, so
# that ctest runs the tests on the target's code.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${BOMTABLES_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${BOMTABLES_TRIPLET}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${BOMTABLES_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${BOMTABLES_QEMU};-L;/usr/${BOMTABLES_TRIPLET})
