# Installing like a Debian program: the programs under bin/, and with CPack
# three .deb packages: "flightreplay" (the replay and the programs that need
# nothing more than it), "flightreplay-prep" (the GDAL-based data tool) and
# "flightreplay-book" (the SQLite logbook).
include(GNUInstallDirs)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME flightreplay)
set(CPACK_PACKAGE_VENDOR "Flight Replay")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Flight Replay developers <flightreplay@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3-D replay of recorded UAV flights over map imagery and terrain")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Runtime libraries from the programs' own links; the image and model
# plug-ins the replay loads at run time come with libopenscenegraph161.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_REPLAY_PACKAGE_NAME flightreplay)
set(CPACK_DEBIAN_REPLAY_PACKAGE_DEPENDS "libopenscenegraph161")
set(CPACK_DEBIAN_REPLAY_PACKAGE_RECOMMENDS "ffmpeg")
set(CPACK_DEBIAN_PREP_PACKAGE_NAME flightreplay-prep)
set(CPACK_DEBIAN_PREP_PACKAGE_DEPENDS "flightreplay (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_BOOK_PACKAGE_NAME flightreplay-book)
set(CPACK_DEBIAN_BOOK_PACKAGE_DEPENDS "flightreplay (= ${PROJECT_VERSION})")
set(CPACK_COMPONENTS_ALL replay)
if(TARGET flightreplay-prep)
  list(APPEND CPACK_COMPONENTS_ALL prep)
endif()
if(TARGET flightreplay-book)
  list(APPEND CPACK_COMPONENTS_ALL book)
endif()
include(CPack)
