# Runs at install time: writes the config file and the systemd units with
# the paths of this install (VANT_PACKAGING_DIR is set by the caller).
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(VANT_SYSCONF_DIR /etc)
else()
  set(VANT_SYSCONF_DIR ${CMAKE_INSTALL_PREFIX}/etc)
endif()
set(VANT_BIN_DIR ${CMAKE_INSTALL_PREFIX}/bin)
set(destdir "$ENV{DESTDIR}")

function(vant_write_file source target)
  configure_file(${VANT_PACKAGING_DIR}/${source} ${destdir}${target} @ONLY)
  message(STATUS "Installing: ${destdir}${target}")
endfunction()

set(config ${VANT_SYSCONF_DIR}/vant/vant-host.conf)
if(EXISTS "${destdir}${config}")
  # An administrator's file is kept; the shipped one goes beside it.
  vant_write_file(vant-host.conf ${config}.dist)
else()
  vant_write_file(vant-host.conf ${config})
endif()
vant_write_file(vant-host.service ${CMAKE_INSTALL_PREFIX}/lib/systemd/system/vant-host.service)
vant_write_file(vant-host@.service ${CMAKE_INSTALL_PREFIX}/lib/systemd/system/vant-host@.service)
