# Installed files and the Debian package (cpack -G DEB, or the "package" target).
# Each program's own CMakeLists.txt installs its executable; this file adds what
# a desktop expects around it. A new program adds one line per kind of file.

set(MAP_UTILITY_RESOURCES ${PROJECT_SOURCE_DIR}/resources)
find_program(GZIP_EXECUTABLE gzip REQUIRED)

# Debian wants documentation gzipped with -9n (no name, no time stamp).
function(map_utility_install_gzipped source destination)
    get_filename_component(name ${source} NAME)
    set(copy ${CMAKE_CURRENT_BINARY_DIR}/gzipped/${name})
    set(compressed ${copy}.gz)
    add_custom_command(OUTPUT ${compressed}
                       COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
                       COMMAND ${GZIP_EXECUTABLE} -9nf ${copy}
                       DEPENDS ${source} VERBATIM)
    string(MAKE_C_IDENTIFIER "gzip_${name}" target)
    add_custom_target(${target} ALL DEPENDS ${compressed})
    install(FILES ${compressed} DESTINATION ${destination})
endfunction()

function(map_utility_install_manual_page program)
    map_utility_install_gzipped(${MAP_UTILITY_RESOURCES}/man/${program}.1 ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

# A window program: desktop entry, AppStream metainfo and icons, all named by
# its AppStream id. ICONS lists SIZE=PICTURE pairs from resources/pictures.
function(map_utility_install_desktop_program id)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "ICONS")
    install(FILES ${MAP_UTILITY_RESOURCES}/${id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${MAP_UTILITY_RESOURCES}/${id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    foreach(pair ${arg_ICONS})
        string(REPLACE "=" ";" pair ${pair})
        list(GET pair 0 size)
        list(GET pair 1 picture)
        install(FILES ${MAP_UTILITY_RESOURCES}/pictures/${picture}
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${id}.png)
    endforeach()
endfunction()

map_utility_install_manual_page(map-catalogue)
install(FILES ${MAP_UTILITY_RESOURCES}/completion/map-catalogue
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
if(TARGET map-utility)
    map_utility_install_manual_page(map-utility)
    map_utility_install_desktop_program(io.github.maputility.MapUtility
        ICONS 32=program.png 64=program_64.png 128=program_128.png)
endif()
if(TARGET map-index)
    map_utility_install_manual_page(map-index)
    map_utility_install_desktop_program(io.github.maputility.MapIndex
        ICONS 32=map-index_32.png 64=map-index_64.png 128=map-index_128.png)
endif()

set(MAP_UTILITY_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/map-utility)
install(FILES ${MAP_UTILITY_RESOURCES}/debian/copyright DESTINATION ${MAP_UTILITY_DOCDIR})
map_utility_install_gzipped(${MAP_UTILITY_RESOURCES}/debian/changelog.Debian ${MAP_UTILITY_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME map-utility)
set(CPACK_PACKAGE_VENDOR "Map Utility developers")
set(CPACK_PACKAGE_CONTACT "Map Utility developers <maintainers@map-utility.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "list, search and open the maps of a map collection")
# CPack puts the summary line in front of this.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Map Utility keeps track of one folder of binary map files (*.fcw). It lists
the maps, shows the name, type, product and page number stored in each,
narrows the list by name or by the files' contents, saves and prints the
list, and opens a map in the map viewer.
.
The package holds the desktop program map-utility, the command-line
front end map-catalogue, which adds an index of every map as TSV, CSV or
JSON, and map-index, which shows that index as a table to sort, filter,
open maps from and export.")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The fixed window layouts are drawn for Arial-metric and Comic faces.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation | fonts-liberation2, fonts-comic-neue")
# A Windows map viewer (".exe") runs through wine.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wine")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
