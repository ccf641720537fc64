# Debian packages with CPack (cpack -G DEB in a build directory): the
# native build gives vrelo417 (amd64: the library, the host helpers, the
# tools and their man pages, the CUPS filter and the PPD, and the printer
# application with its systemd unit and PAM service), the i386 build
# libvrelo417 (i386: the product library and what 32-bit hosts build
# against); each with the license and the release notes.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "vrelo417 developers <vrelo417@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "raster-command output stage of an inkjet printer driver")
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
if(CMAKE_CROSSCOMPILING)
  set(CPACK_PACKAGE_NAME libvrelo417)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE i386)
  # stat64 at the GLIBC_2.33 version is the newest libc symbol it needs.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.33)")
  set(CPACK_PACKAGE_DESCRIPTION
      "The 32-bit x86 library, its header and host helpers, for 32-bit hosts.")
else()
  set(CPACK_PACKAGE_NAME vrelo417)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
  set(CPACK_DEBIAN_PACKAGE_SECTION text)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libc6 (>= 2.34), libstdc++6 (>= 5.2), libgcc-s1, libcups2 (>= 2.3), libpng16-16 (>= 1.6), liblcms2-2 (>= 2.9), libjpeg62-turbo (>= 1.3)")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups, cups-filters, ghostscript")
  set(CPACK_PACKAGE_DESCRIPTION "The x86-64 library with its header and host \
helpers, vrelo-print, vrelo-inspect, vrelo-profile, the CUPS filter rastertovrelo, the printer's PPD \
and its printer profiles.")
  if(TARGET vrelo-printer-app)
    # PDF jobs need Ghostscript.
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
           ", libpappl1 (>= 1.3.1), libpam0g (>= 1.4), ghostscript")
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups, cups-filters")
    string(APPEND CPACK_PACKAGE_DESCRIPTION " The printer application \
vrelo-printer-app presents the printer as an IPP Everywhere printer, with a systemd unit.")
    set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/conffiles
        ${PROJECT_SOURCE_DIR}/cmake/debian/postinst ${PROJECT_SOURCE_DIR}/cmake/debian/prerm
        ${PROJECT_SOURCE_DIR}/cmake/debian/postrm)
  endif()
endif()
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")

# The license and the release notes where Debian keeps them, in the
# package's documentation folder: copyright and NEWS.gz.
set(VRELO_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
install(FILES LICENSE DESTINATION ${VRELO_DOCDIR} RENAME copyright)
vrelo_install_compressed(NEWS ${VRELO_DOCDIR})
include(CPack)
