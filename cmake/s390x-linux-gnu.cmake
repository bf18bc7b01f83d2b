# Linux s390x (big-endian): cmake -S . -B build-s390x --toolchain cmake/s390x-linux-gnu.cmake
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(BOMTABLES_TRIPLET s390x-linux-gnu)
set(BOMTABLES_QEMU qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
