# The Debian package (cpack -G DEB, from a build configured with
# -DSENDORA_DEBIAN_PACKAGE=ON -DCMAKE_INSTALL_PREFIX=/usr; scripts/package-deb.sh).
# The product folder /opt/sendora belongs to the group sendora, which the
# package creates; its members may write the folder (README.Debian).
set(SENDORA_GROUP sendora)
set(SENDORA_DEBIAN_DIR ${CMAKE_BINARY_DIR}/debian)
set(SENDORA_DEBIAN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/sendora)

configure_file(packaging/debian/postinst.in ${SENDORA_DEBIAN_DIR}/postinst @ONLY)
configure_file(packaging/debian/postrm.in ${SENDORA_DEBIAN_DIR}/postrm @ONLY)
configure_file(packaging/debian/README.Debian.in ${SENDORA_DEBIAN_DIR}/README.Debian @ONLY)
# Compressed without a time stamp, so that the same sources give the same package.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/packaging/debian/changelog)
execute_process(
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/packaging/debian/changelog
    OUTPUT_FILE ${SENDORA_DEBIAN_DIR}/changelog.gz
    COMMAND_ERROR_IS_FATAL ANY)

install(FILES packaging/debian/copyright ${SENDORA_DEBIAN_DIR}/README.Debian ${SENDORA_DEBIAN_DIR}/changelog.gz
    DESTINATION ${SENDORA_DEBIAN_DOC_DIR})
install(FILES packaging/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
    RENAME sendora)
# The working folder exists from the start, so that it is the group's, not its first user's.
install(DIRECTORY DESTINATION ${SENDORA_PRODUCT_DIR}/Temp)

# Debian's hardening: the relocation tables read-only once the program has started.
foreach(target Sendora PelmoraVer3Up TessalyP3VerUp unlha32)
    target_link_options(${target} PRIVATE LINKER:-z,relro LINKER:-z,now)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sendora)
set(CPACK_PACKAGE_VENDOR RedudUrazE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "verification data submission and product updaters")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Sendora sends the verification data of a date range (day files and monthly
databases from the product's data folder, packed into one LHA archive) and
the Pass data file to the FTP server. PelmoraVer3Up and TessalyP3VerUp
update Pelmora 3 and Tessaly P3 from the vendor's web server.
.
The programs share the product folder /opt/sendora, which members of the
group sendora may write.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Sendora developers <sendora@example.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# The install scripts see the real prefix (the desktop entries name it); files go to a staging DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
# Qt and liblhasa from the libraries the programs link; the Japanese fonts and
# Qt's Japanese translations (はい, いいえ) are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser, fonts-ipafont, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${SENDORA_DEBIAN_DIR}/postinst;${SENDORA_DEBIAN_DIR}/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
