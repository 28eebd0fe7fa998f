# Install time: writes the menu entry of a plain install. Its Exec names the
# launcher under the prefix chosen only now (cmake --install --prefix), quoted
# and escaped as desktop entries want it when the path holds odd characters.
#   in: TRGUI_DESKTOP_TEMPLATE, TRGUI_DESKTOP_OUT (a scratch file)
set(exec "${CMAKE_INSTALL_PREFIX}/bin/tr-gui")
if(NOT exec MATCHES "^[A-Za-z0-9_./+-]+$")
  string(REGEX REPLACE "([\"`$\\])" "\\\\\\1" exec "${exec}")
  set(exec "\"${exec}\"")
  string(REPLACE "\\" "\\\\" exec "${exec}")
endif()
string(REPLACE "%" "%%" TRGUI_DESKTOP_EXEC "${exec}")
configure_file("${TRGUI_DESKTOP_TEMPLATE}" "${TRGUI_DESKTOP_OUT}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE FILES "${TRGUI_DESKTOP_OUT}")
