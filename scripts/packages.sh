# Debian packages the project needs, and a function that installs the missing
# ones with apt-get (as root, as on a fresh machine). Sourced by the scripts.
FLIGHTREPLAY_PACKAGES=(
  cmake g++ make flex
  libopenscenegraph-dev libopenscenegraph161
  libgtest-dev libbenchmark-dev
  libgdal-dev libsqlite3-dev libwebp-dev pkg-config
  xvfb xauth xdotool imagemagick
  clang libclang-rt-14-dev
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
