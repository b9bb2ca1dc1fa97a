# Compiler settings shared by every target.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON) # for clang-tidy
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

option(MAP_UTILITY_WERROR "Treat compiler warnings as errors" OFF)

# Every target links this PRIVATE: warnings are each target's own business.
add_library(project_options INTERFACE)
target_compile_features(project_options INTERFACE cxx_std_20)
target_compile_options(project_options INTERFACE
    -Wall -Wextra -pedantic -Wold-style-cast -Wnon-virtual-dtor)
if(MAP_UTILITY_WERROR)
    target_compile_options(project_options INTERFACE -Werror)
endif()

# Gives a library an include root of its own: a folder in the build tree
# holding one link, NAME -> the library's source folder. "NAME/x.h" then
# resolves only in targets that link the library, so a layer cannot reach
# the headers of a layer above it.
function(map_utility_include_root target name)
    set(root ${PROJECT_BINARY_DIR}/include-roots/${target})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${name} SYMBOLIC)
    target_include_directories(${target} PUBLIC ${root})
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/Sanitizers.cmake)
include(GNUInstallDirs)
