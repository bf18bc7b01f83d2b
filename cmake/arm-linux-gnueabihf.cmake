# Linux armhf (32-bit): cmake -S . -B build-armhf --toolchain cmake/arm-linux-gnueabihf.cmake
set(CMAKE_SYSTEM_PROCESSOR arm)
set(BOMTABLES_TRIPLET arm-linux-gnueabihf)
set(BOMTABLES_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
