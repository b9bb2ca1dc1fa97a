# MAP_UTILITY_SANITIZE=address,undefined or thread builds every target (and
# so every test) with those sanitizers. Each goes in a build folder of its own.
# The flags go into CMAKE_CXX_FLAGS, where tests that cannot run under a
# sanitizer (a preloaded shim) look for "-fsanitize".
set(MAP_UTILITY_SANITIZE "" CACHE STRING "Sanitizers to build with: address,undefined or thread")

if(MAP_UTILITY_SANITIZE)
    # Any finding fails: no recovering from undefined behaviour.
    string(APPEND CMAKE_CXX_FLAGS
           " -fsanitize=${MAP_UTILITY_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer -g")
    string(APPEND CMAKE_EXE_LINKER_FLAGS " -fsanitize=${MAP_UTILITY_SANITIZE}")
    string(APPEND CMAKE_SHARED_LINKER_FLAGS " -fsanitize=${MAP_UTILITY_SANITIZE}")
endif()

# Fuzz targets need clang's libFuzzer; the libraries they test are built
# with its coverage hooks so that the fuzzer sees their branches.
option(MAP_UTILITY_FUZZ "Build the libFuzzer targets in fuzz/ (clang only)" OFF)
if(MAP_UTILITY_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "MAP_UTILITY_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    # Long runs may drop AddressSanitizer: the threaded content search then
    # makes about twice the executions. CI keeps both.
    set(MAP_UTILITY_FUZZ_SANITIZE "address,undefined" CACHE STRING "Sanitizers for the fuzz targets")
    string(APPEND CMAKE_CXX_FLAGS " -fsanitize=fuzzer-no-link,${MAP_UTILITY_FUZZ_SANITIZE}"
           " -fno-sanitize-recover=all -fno-omit-frame-pointer -g")
    string(APPEND CMAKE_EXE_LINKER_FLAGS " -fsanitize=${MAP_UTILITY_FUZZ_SANITIZE}")
endif()
