# WebAssembly for the web page: cmake -S web -B build-wasm --toolchain cmake/wasm32-wasi.cmake
# (or -DBOMTABLES_WEB=ON in a build of the programs, which does this itself).
# Debian's clang, lld and wasi-libc; the module imports nothing but what the
# page's script gives it.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# The module has no entry point: the compiler checks build a library.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
