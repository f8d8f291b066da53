# Compiler flags of a fuzzing build, included by the top-level CMakeLists before any target
# exists: every part the fuzzers reach gets coverage counters, and the sanitizers catch what
# the fuzzers find.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang" OR NOT CMAKE_C_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZOLVANE_FUZZ needs clang: configure with CC=clang CXX=clang++")
endif()

include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_LINK_OPTIONS -fsanitize=fuzzer)
check_cxx_source_compiles([[
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }
]] ZOLVANE_HAVE_LIBFUZZER)
unset(CMAKE_REQUIRED_LINK_OPTIONS)
if(NOT ZOLVANE_HAVE_LIBFUZZER)
    message(FATAL_ERROR "ZOLVANE_FUZZ: clang cannot link with -fsanitize=fuzzer "
        "(on Debian: apt-get install libclang-rt-14-dev)")
endif()

set(ZOLVANE_SANITIZE ON)
add_compile_options(-fsanitize=fuzzer-no-link)
