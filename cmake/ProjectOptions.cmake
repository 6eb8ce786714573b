# Warnings, sanitizers and fuzzing for every target of the project.

option(T8_WERROR "Treat compiler warnings as errors" OFF)
set(T8_SANITIZE "" CACHE STRING "Sanitizer build: empty, 'address' (ASan+UBSan) or 'thread' (TSan)")
set_property(CACHE T8_SANITIZE PROPERTY STRINGS "" address thread)
option(T8_FUZZ "Build libFuzzer targets (needs clang)" OFF)
option(T8_BENCH "Build the benchmarks under bench/" ON)
# The sanitizer presets compile each target's sources in a few batches: far less time in the
# headers, which matters on CI's two cores. The release and debug builds compile each file alone,
# so a file that only compiles beside another is still caught.
option(T8_UNITY "Compile each target's sources in batches (unity build)" OFF)
if(T8_UNITY)
    set(CMAKE_UNITY_BUILD ON)
    set(CMAKE_UNITY_BUILD_BATCH_SIZE 8)
endif()
option(T8_HARDENING "Debian's hardening: fortified libc calls, stack protector, full RELRO" ON)

add_feature_info(Werror T8_WERROR "warnings are errors")
add_feature_info(Fuzzing T8_FUZZ "libFuzzer targets under fuzz/")
add_feature_info(Benchmarks T8_BENCH "Google Benchmark programs under bench/")
add_feature_info(Hardening T8_HARDENING
                 "fortified calls, stack protector, full RELRO (not with sanitizers)")

add_library(t8_options INTERFACE)
target_compile_features(t8_options INTERFACE cxx_std_20)
target_compile_options(t8_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                            -Wno-sign-conversion)
# GCC 12 reports -Wrestrict on std::string concatenation at -O3 (a false positive, GCC PR 105651).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(t8_options INTERFACE -Wno-restrict)
endif()
if(T8_WERROR)
    target_compile_options(t8_options INTERFACE -Werror)
endif()

if(T8_SANITIZE STREQUAL "address")
    set(_t8_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
elseif(T8_SANITIZE STREQUAL "thread")
    set(_t8_san -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT T8_SANITIZE STREQUAL "")
    message(FATAL_ERROR "T8_SANITIZE must be empty, 'address' or 'thread'")
endif()
if(_t8_san)
    add_compile_options(${_t8_san})
    add_link_options(${_t8_san})
endif()
# What Debian builds its packages with; the sanitizers bring their own checks instead. Fortified
# calls need optimisation, and a compiler that defines the level itself is overridden, not warned.
if(T8_HARDENING AND NOT _t8_san AND NOT T8_FUZZ)
    target_compile_options(t8_options INTERFACE -fstack-protector-strong
                                                $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE>
                                                $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-D_FORTIFY_SOURCE=2>)
    target_link_options(t8_options INTERFACE LINKER:-z,relro LINKER:-z,now)
endif()
if(T8_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "T8_FUZZ needs clang (CXX=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
