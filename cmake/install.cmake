# cmake --install (and make install PREFIX=...) lays out:
#   PREFIX/bin/vant-host, PREFIX/bin/vant-regsvr
#   PREFIX/lib/vant/libvantupload.so, libvantauto.so, resources/messages.cat
#   PREFIX/lib/systemd/system/vant-host.service, vant-host@.service
#   PREFIX/share/doc/vantupload/*.md
#   SYSCONF/vant/vant-host.conf (SYSCONF: /etc for PREFIX /usr, else PREFIX/etc)
# The paths inside the config file and the units are written at install
# time, so one build serves both a /usr/local install and the package.
set(VANT_LIB_DIR lib/vant)

set(vant_install_targets vant-regsvr vantupload vant_automation)
if(TARGET vant-host)
  list(APPEND vant_install_targets vant-host)
endif()
foreach(target IN LISTS vant_install_targets)
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "EXECUTABLE")
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/../${VANT_LIB_DIR}")
    install(TARGETS ${target} RUNTIME DESTINATION bin)
  else()
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${target} LIBRARY DESTINATION ${VANT_LIB_DIR})
  endif()
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/messages.cat DESTINATION ${VANT_LIB_DIR}/resources)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION share/doc/vantupload FILES_MATCHING PATTERN "*.md")
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/vantupload)
install(CODE "set(VANT_PACKAGING_DIR \"${PROJECT_SOURCE_DIR}/packaging\")")
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/install_service_files.cmake)

# make package: a Debian package for /usr, built from this build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantupload)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "VANTUpload maintainers <vant@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "upload components and the vant-host page host")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# The config file goes to /etc, outside the prefix: install with DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser, fontconfig, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/debian/conffiles
    ${PROJECT_SOURCE_DIR}/packaging/debian/postinst
    ${PROJECT_SOURCE_DIR}/packaging/debian/prerm
    ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
