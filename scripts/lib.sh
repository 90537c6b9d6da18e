# Shared by scripts/run and scripts/test: package installation and the build.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs only the packages of scripts/packages.txt that are missing.
install_packages() {
  local missing=()
  local pkg
  while read -r pkg; do
    [ -z "$pkg" ] && continue
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done < <(grep -v '^\s*#' "$ROOT/scripts/packages.txt")
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# configure_and_build DIR [cmake args...] [-- ninja targets...]
configure_and_build() {
  local dir="$1"; shift
  local args=() targets=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do args+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  targets=("$@")
  cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja "${args[@]}" >/dev/null
  cmake --build "$ROOT/$dir" ${targets[@]:+--target "${targets[@]}"}
}
