# Debian packages the project needs, by what needs them, and a function that
# installs the missing ones with apt-get (as root, as on a fresh machine).
# Sourced by the scripts.

# The replay and the demo data generator.
FLIGHTREPLAY_BUILD_PACKAGES=(cmake g++ make flex libopenscenegraph-dev libopenscenegraph161)
# A real window without a display, driven and photographed.
FLIGHTREPLAY_WINDOW_PACKAGES=(xvfb xauth xdotool imagemagick)
# The companion programs, each built only when its packages are there; all
# of them open flights through the readers (GPX through tinyxml2).
FLIGHTREPLAY_READERS_PACKAGES=(libtinyxml2-dev pkg-config)
FLIGHTREPLAY_PREP_PACKAGES=(libgdal-dev libsqlite3-dev libwebp-dev libcurl4-openssl-dev pkg-config)
# The logbook: its SQLite book, the page's data as JSON.
FLIGHTREPLAY_BOOK_PACKAGES=(libsqlite3-dev nlohmann-json3-dev)
FLIGHTREPLAY_STUDIO_PACKAGES=(libimgui-dev ffmpeg libegl-dev libjs-three nlohmann-json3-dev)
# The Google Earth export the converter and the studio share: the KMZ's zip
# and the COLLADA DOM that OpenSceneGraph's COLLADA plug-in fills.
FLIGHTREPLAY_KML_PACKAGES=(libzip-dev libcollada-dom-dev pkg-config)
# The manual pages (built from scdoc sources), and the Debian package's check.
FLIGHTREPLAY_DOC_PACKAGES=(scdoc lintian)
# Tests, benchmarks, fuzzers and the Debian package. nodejs runs a peer
# MAVLink reader from npm; the machines' nodejs (NodeSource's) brings npm
# with it, which Debian's separate npm package would fight, so scripts/test
# installs npm only where nodejs came without it.
FLIGHTREPLAY_TEST_PACKAGES=(libgtest-dev python3 libbenchmark-dev clang libclang-rt-14-dev dpkg-dev chromium parallel nodejs)

# Everything: what scripts/test and CI build.
FLIGHTREPLAY_PACKAGES=(
  "${FLIGHTREPLAY_BUILD_PACKAGES[@]}" "${FLIGHTREPLAY_WINDOW_PACKAGES[@]}"
  "${FLIGHTREPLAY_READERS_PACKAGES[@]}" "${FLIGHTREPLAY_PREP_PACKAGES[@]}" "${FLIGHTREPLAY_BOOK_PACKAGES[@]}"
  "${FLIGHTREPLAY_STUDIO_PACKAGES[@]}" "${FLIGHTREPLAY_KML_PACKAGES[@]}" "${FLIGHTREPLAY_DOC_PACKAGES[@]}"
  "${FLIGHTREPLAY_TEST_PACKAGES[@]}"
)

ensure_packages() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing Debian packages: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "${missing[@]}"
}
