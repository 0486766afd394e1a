# The Windows installer (NSIS, dist/windows/tessel.nsi) and the portable zip,
# both of one staged folder: tessel.exe, the licence and the Windows read-me.
# Target windows_packages of the cross build (tools/build-windows-installer.sh);
# included by hosts/win32 after tessel and its icon are declared.
set(PACKAGE_NAME Tessel-${PROJECT_VERSION})
set(STAGE ${CMAKE_CURRENT_BINARY_DIR}/${PACKAGE_NAME})
set(INSTALLER ${CMAKE_BINARY_DIR}/${PACKAGE_NAME}-setup.exe)
set(PORTABLE_ZIP ${CMAKE_BINARY_DIR}/${PACKAGE_NAME}-windows.zip)

# Text files with Windows line ends, for the Notepads that want them.
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${STAGE}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/dist/windows/README.txt ${STAGE}/README.txt @ONLY NEWLINE_STYLE CRLF)

find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
  set(MAKENSIS makensis)  # the build says what is missing when it is needed
endif()

add_custom_command(
  OUTPUT ${STAGE}/tessel.exe
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:tessel> ${STAGE}/tessel.exe
  DEPENDS tessel
  VERBATIM)

add_custom_command(
  OUTPUT ${INSTALLER}
  COMMAND ${MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${STAGE} -DICON=${ICON_FILE}
          -DOUTFILE=${INSTALLER} ${CMAKE_SOURCE_DIR}/dist/windows/tessel.nsi
  DEPENDS ${CMAKE_SOURCE_DIR}/dist/windows/tessel.nsi ${ICON_FILE}
          ${STAGE}/tessel.exe ${STAGE}/LICENSE.txt ${STAGE}/README.txt
  COMMENT "Writing the installer ${PACKAGE_NAME}-setup.exe"
  VERBATIM)

add_custom_command(
  OUTPUT ${PORTABLE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${PORTABLE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${PORTABLE_ZIP} --format=zip
          ${PACKAGE_NAME}/tessel.exe ${PACKAGE_NAME}/LICENSE.txt ${PACKAGE_NAME}/README.txt
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  DEPENDS ${STAGE}/tessel.exe ${STAGE}/LICENSE.txt ${STAGE}/README.txt
  COMMENT "Writing the portable ${PACKAGE_NAME}-windows.zip"
  VERBATIM)

add_custom_target(windows_packages DEPENDS ${INSTALLER} ${PORTABLE_ZIP})
