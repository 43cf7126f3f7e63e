# Installing like a Debian program: the programs under bin/, and with CPack
# three .deb packages: "flightreplay" (the replay and the programs that need
# nothing more than it), "flightreplay-prep" (the GDAL-based data tool) and
# "flightreplay-book" (the SQLite logbook).
include(GNUInstallDirs)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME flightreplay)
set(CPACK_PACKAGE_VENDOR "Flight Replay")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Flight Replay developers <maintainers@flightreplay.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEB_COMPONENT_INSTALL ON)
# Debian installs programs stripped; the debugging symbols stay in the build tree.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Runtime libraries from the programs' own links; the image and model
# plug-ins the replay loads at run time come with libopenscenegraph161.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_REPLAY_PACKAGE_NAME flightreplay)
set(CPACK_DEBIAN_REPLAY_PACKAGE_DEPENDS "libopenscenegraph161")
set(CPACK_DEBIAN_REPLAY_PACKAGE_RECOMMENDS "ffmpeg")
# The first line of each description is the package's synopsis.
set(CPACK_DEBIAN_REPLAY_DESCRIPTION "3-D replay of recorded UAV flights over map imagery and terrain
flightreplay replays a flight log in an OpenSceneGraph window: map imagery
draped on terrain, the track, a sky and the aircraft flying the recorded
positions and attitudes. flightreplay-studio opens PX4 ULog, ArduPilot
DataFlash, MAVLink telemetry logs, GPX, IGC and CSV directly, several
flights on one clock, with panels, plots, snapshots, videos, web pages and
Google Earth tours; flightreplay-convert lists and converts those logs.")
set(CPACK_DEBIAN_PREP_PACKAGE_NAME flightreplay-prep)
set(CPACK_DEBIAN_PREP_PACKAGE_DEPENDS "flightreplay (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_PREP_DESCRIPTION "terrain and imagery for Flight Replay, from open services or files
flightreplay-prep writes the elevation files, image tiles, sky and aircraft
model that flightreplay and flightreplay-studio read around a flight:
fetched from open elevation and imagery services through a cache, or
taken from DEM rasters and tile sets on disk.")
set(CPACK_DEBIAN_BOOK_PACKAGE_NAME flightreplay-book)
set(CPACK_DEBIAN_BOOK_PACKAGE_DEPENDS "flightreplay (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_BOOK_DESCRIPTION "logbook of every flight in a folder tree, for Flight Replay
flightreplay-book reads every flight log of a folder tree (ULog, DataFlash,
MAVLink telemetry logs, GPX, IGC, CSV) into one SQLite book, again only
what changed on later runs: flights listed, searched with SQL and totalled
per vehicle and year, with the review's findings, and written as one
offline web page with an overview, a table and trends across flights.")
set(CPACK_COMPONENTS_ALL replay)
if(TARGET flightreplay-prep)
  list(APPEND CPACK_COMPONENTS_ALL prep)
endif()
if(TARGET flightreplay-book)
  list(APPEND CPACK_COMPONENTS_ALL book)
endif()

# What Debian wants in every package's doc folder: the copyright and a
# changelog, compressed as dpkg would (no name or time stamp inside).
set(debian_changelog ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.gz)
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/debian)
execute_process(COMMAND gzip -9 -n -c INPUT_FILE ${CMAKE_CURRENT_LIST_DIR}/debian/changelog
                OUTPUT_FILE ${debian_changelog})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/debian/changelog)
foreach(component ${CPACK_COMPONENTS_ALL})
  string(TOUPPER ${component} upper)
  set(package ${CPACK_DEBIAN_${upper}_PACKAGE_NAME})
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${debian_changelog}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()
include(CPack)
