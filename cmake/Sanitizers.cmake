# MAP_UTILITY_SANITIZE=address,undefined or thread builds every target (and
# so every test) with those sanitizers. Each goes in a build folder of its own.
set(MAP_UTILITY_SANITIZE "" CACHE STRING "Sanitizers to build with: address,undefined or thread")

if(MAP_UTILITY_SANITIZE)
    # Any finding fails: no recovering from undefined behaviour.
    add_compile_options(-fsanitize=${MAP_UTILITY_SANITIZE} -fno-sanitize-recover=all
                        -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=${MAP_UTILITY_SANITIZE})
endif()

# Fuzz targets need clang's libFuzzer; the libraries they test are built
# with its coverage hooks so that the fuzzer sees their branches.
option(MAP_UTILITY_FUZZ "Build the libFuzzer targets in fuzz/ (clang only)" OFF)
if(MAP_UTILITY_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "MAP_UTILITY_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=address,undefined)
endif()
