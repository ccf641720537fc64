# Installing the library like any Linux library: the shared library with its
# plain soname, the headers, the host-helper archive, a pkg-config file and
# a CMake package that work from any prefix; in native builds also the
# tools, the CUPS filter (in CUPS's filter directory), the PPD and the
# printer profiles it names (in CUPS's profiles directory), and the printer
# application with its systemd unit and PAM service. The programs' man pages
# are installed by man/CMakeLists.txt; LICENSE and NEWS by
# cmake/packaging.cmake.
# Libraries go into Debian's multiarch directory of their architecture
# (lib/x86_64-linux-gnu, lib/i386-linux-gnu), so both builds install side
# by side and the linker, pkg-config and CMake find them under any prefix.
if(CMAKE_LIBRARY_ARCHITECTURE AND NOT DEFINED CMAKE_INSTALL_LIBDIR)
  set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE} CACHE PATH "Object code libraries")
endif()
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# 32-bit headers go where a 32-bit compiler on a 64-bit system looks first,
# so both builds install side by side.
if(CMAKE_LIBRARY_ARCHITECTURE AND CMAKE_CROSSCOMPILING)
  set(VRELO_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/${CMAKE_LIBRARY_ARCHITECTURE})
else()
  set(VRELO_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR})
endif()
set(VRELO_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/vrelo417)

# vrelo_install_compressed(<file> <destination>): installs a text file
# compressed, as Debian installs man pages and release notes, with the
# project's version filled in wherever the file says @PROJECT_VERSION@.
function(vrelo_install_compressed file destination)
  get_filename_component(name ${file} NAME)
  string(REGEX REPLACE "\\.in$" "" name ${name})
  set(built ${CMAKE_CURRENT_BINARY_DIR}/${name})
  configure_file(${file} ${built} @ONLY)
  add_custom_command(OUTPUT ${built}.gz COMMAND gzip -9nkf ${built}
                     DEPENDS ${built} COMMENT "Compressing ${name}" VERBATIM)
  add_custom_target(vrelo_compressed_${name} ALL DEPENDS ${built}.gz)
  install(FILES ${built}.gz DESTINATION ${destination})
endfunction()

install(TARGETS vrelo417 vrelo417_host EXPORT vrelo417Targets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${VRELO_INCLUDEDIR})
install(FILES include/vrelo417.h include/vrelo417_version.h include/vrelo417_host.h
        DESTINATION ${VRELO_INCLUDEDIR})

install(EXPORT vrelo417Targets NAMESPACE vrelo417:: DESTINATION ${VRELO_CMAKEDIR})
configure_package_config_file(cmake/vrelo417Config.cmake.in
  ${CMAKE_BINARY_DIR}/vrelo417Config.cmake INSTALL_DESTINATION ${VRELO_CMAKEDIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/vrelo417ConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/vrelo417Config.cmake
              ${CMAKE_BINARY_DIR}/vrelo417ConfigVersion.cmake
        DESTINATION ${VRELO_CMAKEDIR})

# The .pc file finds its prefix from where it lies.
set(VRELO_PCDIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH VRELO_PC_TO_PREFIX /root/${VRELO_PCDIR} /root)
configure_file(cmake/vrelo417.pc.in ${CMAKE_BINARY_DIR}/vrelo417.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/vrelo417.pc DESTINATION ${VRELO_PCDIR})

if(TARGET vrelo-print)
  # CUPS's own directories, as cups-config names them, whatever the prefix.
  function(vrelo_cups_dir option fallback out)
    execute_process(COMMAND cups-config ${option} OUTPUT_VARIABLE dir
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT dir)
      set(dir ${fallback})
    endif()
    set(${out} ${dir} PARENT_SCOPE)
  endfunction()
  # CUPS runs filters from its own server directory.
  vrelo_cups_dir(--serverbin /usr/lib/cups cups_serverbin)
  set(VRELO_CUPS_FILTER_DIR ${cups_serverbin}/filter CACHE PATH
      "Where rastertovrelo is installed: CUPS's filter directory")
  set(VRELO_PPD_DIR ${CMAKE_INSTALL_DATADIR}/ppd/vrelo417 CACHE PATH
      "Where the PPD is installed: a directory CUPS searches for drivers")
  # The PPD names the printer profiles relative to CUPS's data directory.
  vrelo_cups_dir(--datadir /usr/share/cups cups_datadir)
  set(VRELO_PROFILE_DIR ${cups_datadir}/profiles CACHE PATH
      "Where the printer profiles are installed: CUPS's profiles directory")
  install(TARGETS vrelo-print vrelo-inspect vrelo-profile RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(TARGETS rastertovrelo RUNTIME DESTINATION ${VRELO_CUPS_FILTER_DIR})
  install(FILES tools/ppd/vrelo417.ppd DESTINATION ${VRELO_PPD_DIR})
  install(FILES ${VRELO_PROFILES} DESTINATION ${VRELO_PROFILE_DIR})
endif()

if(TARGET vrelo-printer-app)
  set(VRELO_SYSTEMD_UNIT_DIR /lib/systemd/system CACHE PATH
      "Where the printer application's systemd unit is installed")
  set(VRELO_PAM_DIR /etc/pam.d CACHE PATH
      "Where the printer application's PAM service is installed")
  install(TARGETS vrelo-printer-app RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES tools/printer-app/vrelo-printer-app.pam DESTINATION ${VRELO_PAM_DIR}
          RENAME vrelo-printer-app)
  # The unit starts the program where this installation puts it, which is
  # known only when installing (the packages install under /usr).
  set(VRELO_UNIT_TEMPLATE ${PROJECT_SOURCE_DIR}/tools/printer-app/vrelo-printer-app.service.in)
  install(CODE "
    set(VRELO_APP_PATH \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vrelo-printer-app\")
    set(unit \"\$ENV{DESTDIR}${VRELO_SYSTEMD_UNIT_DIR}/vrelo-printer-app.service\")
    message(STATUS \"Installing: \${unit}\")
    configure_file(\"${VRELO_UNIT_TEMPLATE}\" \"\${unit}\" @ONLY)")
endif()
