# Installing the suite the way Linux software is installed, and the Debian package of it.
#
#   bin/                       tidora, TidoraLaunch, Deploycalc, QuaylinkW
#   lib/<triplet>/tidora/      the module libraries, the data file library and the registry that
#                              lets every user's launcher create the modules without registering
#   share/                     desktop entries, icons, file types, metainfo, manual pages, help
#
# `cmake --build build --target package` (or `make package`) writes
# build/tidora-for-waves_VERSION_ARCH.deb.

set(TIDORA_PACKAGE_NAME tidora-for-waves)
set(TIDORA_APP_ID com.brennic.TidoraWaves)
set(TIDORA_ICON_NAME tidora-for-waves)
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(TIDORA_MODULE_DIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/tidora)
else()
  set(TIDORA_MODULE_DIR lib/tidora)
endif()
set(TIDORA_DOC_DIR share/doc/${TIDORA_PACKAGE_NAME})
set(TIDORA_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
# Sanitizer and fuzzing builds are never packaged: they leave the package files to the plain
# build (their programs would report leaks when asked for their help).
if(TIDORA_SANITIZE OR TIDORA_FUZZ)
  set(TIDORA_PACKAGING_ALL)
  set(TIDORA_RSVG_REQUIRED)
else()
  set(TIDORA_PACKAGING_ALL ALL)
  set(TIDORA_RSVG_REQUIRED REQUIRED)
endif()

# The programs and the launcher find the module folder relative to themselves, so an installed
# tree works wherever it was unpacked.
target_compile_definitions(tidora_platform PRIVATE
  TIDORA_MODULE_DIR_FROM_BIN="../${TIDORA_MODULE_DIR}")

set(TIDORA_PROGRAMS tidora TidoraLaunch Deploycalc QuaylinkW)
get_property(TIDORA_MODULES GLOBAL PROPERTY TIDORA_MODULE_PLUGINS)
foreach(target IN LISTS TIDORA_PROGRAMS)
  if(TARGET ${target})
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/../${TIDORA_MODULE_DIR}")
    install(TARGETS ${target} RUNTIME DESTINATION bin)
  endif()
endforeach()
foreach(target IN LISTS TIDORA_MODULES)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${target} LIBRARY DESTINATION ${TIDORA_MODULE_DIR})
endforeach()
set_target_properties(tidora_datafile PROPERTIES INSTALL_RPATH "")
install(TARGETS tidora_datafile LIBRARY DESTINATION ${TIDORA_MODULE_DIR})

# The registry of the installed modules, written by the installed launcher itself so that it
# names exactly the libraries that were installed.
install(CODE [[
  set(launcher "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/TidoraLaunch")
  execute_process(COMMAND "${launcher}" --register-system RESULT_VARIABLE failed
                  OUTPUT_QUIET)
  if(failed)
    message(FATAL_ERROR "${launcher} --register-system failed")
  endif()
]])

# Manual pages: each program's own --help output inside a page written around it, so that the
# options never drift from the programs; tidora(1) holds every sub-command.
set(TIDORA_MANPAGES)
foreach(program IN LISTS TIDORA_PROGRAMS)
  if(NOT TARGET ${program})
    continue()
  endif()
  set(page ${TIDORA_PACKAGING_OUT}/man/${program}.1)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}>
      -DTEMPLATE=${CMAKE_CURRENT_LIST_DIR}/man/${program}.1.in -DOUTPUT=${page}
      -DVERSION=${PROJECT_VERSION} -P ${CMAKE_CURRENT_LIST_DIR}/manpage.cmake
    DEPENDS ${program} ${CMAKE_CURRENT_LIST_DIR}/man/${program}.1.in
      ${CMAKE_CURRENT_LIST_DIR}/manpage.cmake
    COMMENT "Manual page ${program}(1)")
  list(APPEND TIDORA_MANPAGES ${page}.gz)
endforeach()

# The suite's icon: drawn once as SVG, rendered at the usual sizes of the icon theme.
find_program(RSVG_CONVERT rsvg-convert ${TIDORA_RSVG_REQUIRED})
set(TIDORA_ICON_SVG ${CMAKE_CURRENT_LIST_DIR}/icons/${TIDORA_ICON_NAME}.svg)
set(TIDORA_ICONS)
foreach(size 16 22 24 32 48 64 128 256)
  set(png ${TIDORA_PACKAGING_OUT}/icons/${size}x${size}/${TIDORA_ICON_NAME}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TIDORA_PACKAGING_OUT}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${TIDORA_ICON_SVG}
    DEPENDS ${TIDORA_ICON_SVG}
    COMMENT "Icon ${size}x${size}")
  list(APPEND TIDORA_ICONS ${png})
  install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${TIDORA_ICON_SVG} DESTINATION share/icons/hicolor/scalable/apps)

# The changelog and metainfo carry the project's version.
configure_file(${CMAKE_CURRENT_LIST_DIR}/metainfo.xml.in
  ${TIDORA_PACKAGING_OUT}/${TIDORA_APP_ID}.metainfo.xml @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${TIDORA_PACKAGING_OUT}/changelog @ONLY)
add_custom_command(OUTPUT ${TIDORA_PACKAGING_OUT}/changelog.gz
  COMMAND gzip -9nf -k ${TIDORA_PACKAGING_OUT}/changelog
  DEPENDS ${TIDORA_PACKAGING_OUT}/changelog
  COMMENT "Package changelog")
add_custom_target(packaging_files ${TIDORA_PACKAGING_ALL} DEPENDS ${TIDORA_MANPAGES} ${TIDORA_ICONS}
  ${TIDORA_PACKAGING_OUT}/changelog.gz)

install(FILES ${TIDORA_MANPAGES} DESTINATION share/man/man1)
file(GLOB TIDORA_DESKTOP_FILES ${CMAKE_CURRENT_LIST_DIR}/desktop/*.desktop)
install(FILES ${TIDORA_DESKTOP_FILES} DESTINATION share/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/mime/${TIDORA_PACKAGE_NAME}.xml
  DESTINATION share/mime/packages)
install(FILES ${TIDORA_PACKAGING_OUT}/${TIDORA_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${TIDORA_PACKAGING_OUT}/changelog.gz
  DESTINATION ${TIDORA_DOC_DIR})
file(GLOB TIDORA_HELP_PAGES ${PROJECT_SOURCE_DIR}/help/*.html)
install(FILES ${TIDORA_HELP_PAGES} DESTINATION ${TIDORA_DOC_DIR}/html)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TIDORA_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Brennic <support@brennic.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "wave and tide recorder suite: plan, upload, convert, process")
# CPack puts the summary first; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The desktop programs and command of the Tidora moored wave and tide recorder:
plan a deployment (wave attenuation at depth, battery and memory endurance),
talk to the recorder over a serial line, convert its memory upload into
calibrated tide and wave burst files, compute wave spectra and statistics,
remove barometric pressure and tabulate reports.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "desktop-file-utils, shared-mime-info, hicolor-icon-theme")
include(CPack)

# The package test: lintian, the file list, and the programs run from an unpacked tree.
if(TIDORA_TESTS AND NOT TIDORA_SANITIZE AND NOT TIDORA_FUZZ)
  add_test(NAME package_deb
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/check-package ${CMAKE_BINARY_DIR} ${TIDORA_MODULE_DIR})
  set_tests_properties(package_deb PROPERTIES TIMEOUT 600 RUN_SERIAL ON)
endif()
