# The installed layout keeps the programs' own: Sendora, both updaters and the
# archiver library in one product folder, where Sendora keeps its working
# folder and Pass data file and the updaters extract new product versions.
# Desktop entries, icons and AppStream metadata go to the shared folders.
#   per user, no root:  cmake --install build --prefix ~/.local   (~/.local/opt/sendora)
#   Debian package:     -DSENDORA_DEBIAN_PACKAGE=ON, cpack -G DEB (/opt/sendora; cmake/DebianPackage.cmake)
include(GNUInstallDirs)

option(SENDORA_DEBIAN_PACKAGE "Lay out the install for the Debian package: product folder /opt/sendora" OFF)
if(SENDORA_DEBIAN_PACKAGE)
    set(SENDORA_PRODUCT_DIR /opt/sendora)
else()
    set(SENDORA_PRODUCT_DIR opt/sendora)
endif()

# The programs find the archiver beside themselves and nothing of ours elsewhere;
# the build tree has the same layout (bin/), so it gets the same search path.
set_target_properties(Sendora PelmoraVer3Up TessalyP3VerUp unlha32 PROPERTIES
    INSTALL_RPATH "$ORIGIN"
    BUILD_WITH_INSTALL_RPATH ON)
install(TARGETS Sendora PelmoraVer3Up TessalyP3VerUp unlha32
    RUNTIME DESTINATION ${SENDORA_PRODUCT_DIR}
    LIBRARY DESTINATION ${SENDORA_PRODUCT_DIR})

# The desktop entries start the programs by their full path, known only when
# installing (cmake --install --prefix): a script writes them then.
set(SENDORA_DESKTOP_ENTRIES
    jp.reduduraze.sendora=Sendora
    jp.reduduraze.pelmoraver3up=PelmoraVer3Up
    jp.reduduraze.tessalyp3verup=TessalyP3VerUp)
install(CODE "
set(SENDORA_PRODUCT_DIR \"${SENDORA_PRODUCT_DIR}\")
set(SENDORA_DESKTOP_ENTRIES \"${SENDORA_DESKTOP_ENTRIES}\")
set(SENDORA_DESKTOP_TEMPLATES \"${CMAKE_SOURCE_DIR}/packaging/desktop\")
set(SENDORA_APPLICATIONS_DIR \"${CMAKE_INSTALL_DATADIR}/applications\")
")
install(SCRIPT cmake/InstallDesktopEntries.cmake)

install(FILES
    packaging/icons/jp.reduduraze.sendora.svg
    packaging/icons/jp.reduduraze.pelmoraver3up.svg
    packaging/icons/jp.reduduraze.tessalyp3verup.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/jp.reduduraze.sendora.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

if(SENDORA_DEBIAN_PACKAGE)
    include(cmake/DebianPackage.cmake)
endif()
