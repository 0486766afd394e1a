# Installing the Linux programs as a desktop program (cmake --install, with
# --prefix and DESTDIR), and the Debian package of the same files
# (cpack -G DEB, which needs dpkg-shlibdeps from dpkg-dev):
#   bin/tessel, bin/tessel-run
#   share/applications/tessel.desktop
#   share/icons/hicolor/<size>/apps/tessel.png, the program icon's drawing
#   share/metainfo/<AppStream id>.metainfo.xml
#   share/man/man1/tessel.1, tessel-run.1
#   share/doc/tessel/copyright, the MIT licence
#   <libdir>/libretro/tessel_libretro.so and share/libretro/info/tessel_libretro.info,
#   the libretro core where Debian's RetroArch looks for cores and their info

# On a multiarch system the package's libraries go into lib/<triplet>, as
# GNUInstallDirs has it for the prefix /usr; the package installs under /usr
# whatever prefix the build was configured with.
if(NOT DEFINED CMAKE_INSTALL_LIBDIR AND CMAKE_LIBRARY_ARCHITECTURE AND EXISTS /etc/debian_version)
  set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE} CACHE PATH "Object code libraries (LIBDIR)")
endif()
include(GNUInstallDirs)

set(TESSEL_APPSTREAM_ID org.tesselemu.tessel)

install(TARGETS tessel-run RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES dist/tessel-run.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tessel RENAME copyright)

if(TARGET tessel)
  install(TARGETS tessel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES dist/tessel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES dist/tessel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES dist/tessel.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
          RENAME ${TESSEL_APPSTREAM_ID}.metainfo.xml)

  # The icon at whole multiples of its 32 pixels, each pixel a block.
  set(ICON_PNGS "")
  foreach(scale 1 2 4 8)
    math(EXPR size "32 * ${scale}")
    set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/tessel.png)
    tessel_icon(${png} ${scale})
    list(APPEND ICON_PNGS ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(tessel_icons ALL DEPENDS ${ICON_PNGS})
endif()

if(TARGET tessel_libretro)
  install(TARGETS tessel_libretro LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/libretro)
  install(FILES ${CMAKE_BINARY_DIR}/tessel_libretro.info DESTINATION ${CMAKE_INSTALL_DATADIR}/libretro/info)
endif()

set(CPACK_PACKAGE_NAME tessel)
set(CPACK_PACKAGE_VENDOR "The Tessel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Emulator of the VZ200 and VZ300 home computers")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Tessel emulates the VZ200/VZ300 home computer (a Z80 at 3.58 MHz, 16 KB of system ROM, a memory-mapped "
    "keyboard and screen) in a desktop window, in real time. tessel-run is the same emulator without a window, "
    "for automation, and tessel_libretro the same machine as a libretro core for RetroArch. Tessel is MIT licensed.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Tessel developers")
set(CPACK_DEBIAN_PACKAGE_SECTION otherosfs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
