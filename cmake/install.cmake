# Install rules and packages for games built outside this tree: the public headers, the engine
# library (static, or shared with BUILD_SHARED_LIBS=ON), the audio library, the font builder,
# a CMake package (tarvok::tvk), a pkg-config file and a Debian package.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The package version is the interface version TVK_VERSION 0x180 read as 1.8.0.
file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/engine/tvk.h TVK_VERSION_LINE
     REGEX "^#define TVK_VERSION 0x[0-9A-Fa-f]+$")
string(REGEX MATCH "0x([0-9A-Fa-f])([0-9A-Fa-f])([0-9A-Fa-f])$" _ "${TVK_VERSION_LINE}")
set(TVK_PACKAGE_VERSION "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}")

set(TVK_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/tarvok)
set(TVK_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/tarvok)
set(TVK_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# ---- headers: the interface, the export mark and every kit header, in their tree layout ----
install(FILES engine/tvk.h engine/tvk_export.h DESTINATION ${TVK_INCLUDE_DIR}/engine)
install(DIRECTORY kit/ DESTINATION ${TVK_INCLUDE_DIR}/kit FILES_MATCHING PATTERN "*.h")

# ---- the library a game links ----
if(BUILD_SHARED_LIBS)
  # The static library's objects, compiled once; the hidden visibility of their build keeps
  # all but the TVK_API symbols private.
  add_library(tvk_shared SHARED $<TARGET_OBJECTS:tvk>)
  target_link_libraries(tvk_shared PRIVATE $<TARGET_PROPERTY:tvk,LINK_LIBRARIES>)
  target_include_directories(tvk_shared INTERFACE
                             $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}>
                             $<INSTALL_INTERFACE:include/tarvok>)
  target_compile_features(tvk_shared INTERFACE cxx_std_20)
  set_target_properties(tvk_shared PROPERTIES OUTPUT_NAME tvk EXPORT_NAME tvk
                        VERSION ${TVK_PACKAGE_VERSION} SOVERSION 1)
  set(TVK_INSTALLED_LIBRARY tvk_shared)
else()
  set(TVK_INSTALLED_LIBRARY tvk)
endif()
install(TARGETS ${TVK_INSTALLED_LIBRARY} EXPORT tarvokTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})

# The audio library the engine loads at run time, and the bitmap-font builder.
if(TARGET bass)
  install(TARGETS bass LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()
if(TARGET font_builder)
  install(TARGETS font_builder RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# ---- dependencies a static link needs, as pkg-config modules ----
# Read from the library's own link list, so a dependency added there reaches the packages too.
get_target_property(TVK_LINK_ITEMS tvk LINK_LIBRARIES)
set(TVK_PKG_PREFIXES "")
set(TVK_PKG_MODULES "")
set(TVK_PLAIN_LIBS "")
foreach(item IN LISTS TVK_LINK_ITEMS)
  if(item MATCHES "^PkgConfig::(.+)$")
    list(APPEND TVK_PKG_PREFIXES ${CMAKE_MATCH_1})
    list(APPEND TVK_PKG_MODULES ${${CMAKE_MATCH_1}_MODULE_NAME})
  elseif(item STREQUAL "Threads::Threads")
    list(APPEND TVK_PLAIN_LIBS -pthread)
  elseif(NOT item MATCHES "::")
    list(APPEND TVK_PLAIN_LIBS -l${item})
  endif()
endforeach()

# ---- CMake package: find_package(tarvok) gives tarvok::tvk ----
install(EXPORT tarvokTargets NAMESPACE tarvok:: DESTINATION ${TVK_CMAKE_DIR})
configure_package_config_file(cmake/tarvokConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/tarvokConfig.cmake INSTALL_DESTINATION ${TVK_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/tarvokConfigVersion.cmake
  VERSION ${TVK_PACKAGE_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tarvokConfig.cmake
        ${CMAKE_CURRENT_BINARY_DIR}/tarvokConfigVersion.cmake DESTINATION ${TVK_CMAKE_DIR})

# ---- pkg-config: a static library names its dependencies in Requires and Libs, so plain
# --libs links a game; a shared one needs nothing besides itself ----
if(NOT BUILD_SHARED_LIBS)
  list(JOIN TVK_PKG_MODULES " " TVK_PC_REQUIRES)
  list(JOIN TVK_PLAIN_LIBS " " TVK_PC_LIBS)
endif()
# The prefix is found from the file's own place, so the installed tree can move.
file(RELATIVE_PATH TVK_PC_TO_PREFIX /${TVK_PKGCONFIG_DIR} /)
string(REGEX REPLACE "/$" "" TVK_PC_TO_PREFIX ${TVK_PC_TO_PREFIX})
configure_file(cmake/tarvok.pc.in ${CMAKE_CURRENT_BINARY_DIR}/tarvok.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tarvok.pc DESTINATION ${TVK_PKGCONFIG_DIR})

# ---- Debian package: cpack -G DEB ----
include(cmake/debian.cmake)

# ---- checks: install into a temporary prefix and build games against it, the .deb's
# contents, the API reference without undocumented members, the README's first program ----
if(TVK_SANITIZE)
  set(TVK_GAME_FLAGS "-fsanitize=address,undefined")
endif()
add_executable(first_game examples/first_game.cpp)
target_link_libraries(first_game tvk)
foreach(check IN ITEMS installed_games debian_package api_reference readme_program)
  add_test(NAME install_${check}
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/install/${check}.sh
                   ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  # Games built against this build's library use its compiler and its sanitizers; their
  # real windows go through display libraries that keep process-lifetime allocations.
  set_tests_properties(install_${check} PROPERTIES ENVIRONMENT
    "CXX=${CMAKE_CXX_COMPILER};CXXFLAGS=${TVK_GAME_FLAGS};ASAN_OPTIONS=detect_leaks=0")
endforeach()
# Packaging first brings the build folder up to date, which the install check reads; one at a
# time.
set_tests_properties(install_installed_games install_debian_package PROPERTIES
                     RESOURCE_LOCK tvk_install)
