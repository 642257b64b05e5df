# The Debian package made by `cpack -G DEB`: everything the install rules put under the
# prefix, installed under /usr. Its dependencies are the Debian packages that own the
# libraries the engine links (found with dpkg on the build machine), plus what dpkg-shlibdeps
# finds for the shared objects and programs inside it.

# The packages owning the files a pkg-config dependency links: with RUNTIME the real shared
# object (libfoo.so.N), otherwise the link name (libfoo.so) from the development package.
function(tvk_owning_packages out kind)
  set(packages "")
  foreach(prefix IN LISTS TVK_PKG_PREFIXES)
    foreach(file IN LISTS ${prefix}_LINK_LIBRARIES)
      if(kind STREQUAL "RUNTIME")
        file(REAL_PATH ${file} file)
      endif()
      execute_process(COMMAND dpkg-query -S ${file} OUTPUT_VARIABLE owner
                      RESULT_VARIABLE failed ERROR_QUIET)
      if(NOT failed AND owner MATCHES "^([^:,]+)")
        list(APPEND packages ${CMAKE_MATCH_1})
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES packages)
  set(${out} ${packages} PARENT_SCOPE)
endfunction()

# A shared engine needs the runtime libraries; a static one is linked into each game, which
# then needs the development packages of the same libraries and pkg-config to find them.
if(BUILD_SHARED_LIBS)
  tvk_owning_packages(TVK_DEB_DEPENDS RUNTIME)
else()
  tvk_owning_packages(TVK_DEB_DEPENDS DEVELOPMENT)
  list(APPEND TVK_DEB_DEPENDS "pkgconf | pkg-config")
endif()
# "Arial" and the other face names resolve to these fonts.
list(APPEND TVK_DEB_DEPENDS fonts-liberation2)
list(JOIN TVK_DEB_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)

set(CPACK_PACKAGE_NAME tarvok)
set(CPACK_PACKAGE_VERSION ${TVK_PACKAGE_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "2D game engine and drawing kit: library, headers, CMake and pkg-config files")
set(CPACK_PACKAGE_CONTACT "Tarvok developers <tarvok@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_GENERATOR DEB)
include(CPack)
