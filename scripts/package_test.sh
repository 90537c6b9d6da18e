#!/usr/bin/env bash
# The Debian package as a user gets it: built from the sources (scripts/package), its files,
# lintian and the desktop entry checked in a scratch root, then installed for real and started
# under Xvfb as an ordinary user, who ends it with File > Exit. The install runs as root (sudo
# when not root), as `package_test.sh --installed DEB`; it removes the package, and the user if
# it made one, when done.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

USER_NAME=velomira-test
DEFAULT_SETTINGS='[General]\r\nType = no name\r\nAvailableTeeth = 46\r\nMissingTeeth = 2\r\nWheelAt = camshaft\r\n\r\n[RPM]\r\n1 = 1000\r\n2 = 2000\r\n3 = 3000\r\n4 = 4000\r\n5 = 5000\r\n6 = 6000\r\n7 = 7000\r\n8 = 8000\r\n9 = 9000\r\n10 = 10000\r\n'

fail() { echo "package test: $*" >&2; exit 1; }

# Builds the package and checks it without installing it.
check_package() {
  local deb play=()
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
  echo "== Debian package"
  deb="$("$ROOT/scripts/package")"
  echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

  # The files, from the package and from `cmake --install` under another prefix.
  [ -x "$ROOT/build-package/bin/velomira-play" ] && play=(bin/velomira-play share/man/man1/velomira-play.1.gz)
  printf '%s\n' bin/velomira bin/velomira-render share/applications/velomira.desktop \
    share/doc/velomira/README.md share/doc/velomira/changelog.gz share/doc/velomira/copyright \
    share/icons/hicolor/48x48/apps/velomira.png share/icons/hicolor/scalable/apps/velomira.svg \
    share/man/man1/velomira-render.1.gz share/man/man1/velomira.1.gz share/man/man5/velomira-pattern.5.gz \
    "${play[@]}" $(cd "$ROOT" && ls patterns/*.pattern | sed 's|^|share/velomira/|') | sort > "$work/expected"
  dpkg-deb -x "$deb" "$work/root"
  (cd "$work/root/usr" && find . ! -type d | sed 's|^\./||' | sort) > "$work/packaged"
  diff -u "$work/expected" "$work/packaged" || fail "the package's files differ from the list"
  cmake --install "$ROOT/build-package" --prefix "$work/prefix/opt/velomira" >/dev/null
  (cd "$work/prefix/opt/velomira" && find . ! -type d | sed 's|^\./||' | sort) > "$work/installed"
  diff -u "$work/packaged" "$work/installed" || fail "cmake --install puts other files than the package"
  dpkg-deb -c "$deb"
  dpkg-deb -f "$deb" Depends
  dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6.*libsdl2\|libsdl2.*libqt6widgets6' ||
    fail "the dependencies were not taken from the binaries"

  echo "== lintian (nothing below: no error, no warning)"
  local lint=0
  lintian --fail-on error "$deb" > "$work/lintian.log" 2>&1 || lint=$?
  grep -v '^running with root privileges' "$work/lintian.log" || true
  [ "$lint" = 0 ] || fail "lintian reports an error"
  desktop-file-validate "$work/root/usr/share/applications/velomira.desktop" || fail "desktop entry"
  file "$work/root/usr/share/icons/hicolor/48x48/apps/velomira.png" | grep -q 'PNG image data, 48 x 48' ||
    fail "the PNG icon is not 48 x 48"
  as_root "$ROOT/scripts/package_test.sh" --installed "$deb"
}

if [ "${1:-}" != --installed ]; then
  check_package
  exit 0
fi

# As root, from here on: the package installed, started as an ordinary user, removed.
[ "$(id -u)" -eq 0 ] || fail "--installed needs root"
deb="$2"
work="$(mktemp -d)"
made_user=0
home=""
cleanup() {
  dpkg-query -W velomira >/dev/null 2>&1 && DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq velomira >/dev/null
  [ -n "$home" ] && rm -rf "$home/portable" "$home/.config/velomira"
  rm -f /usr/bin/velomira.ini
  [ "$made_user" = 1 ] && userdel -r "$USER_NAME" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
printf "$DEFAULT_SETTINGS" > "$work/default.ini"

echo "== installed, started as $USER_NAME under Xvfb"
dpkg-query -W velomira >/dev/null 2>&1 && apt-get purge -y -qq velomira >/dev/null
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" 2>&1 | grep "^Setting up\|^E:" || true
dpkg-query -W velomira >/dev/null 2>&1 || fail "apt-get did not install $deb"
if ! id "$USER_NAME" >/dev/null 2>&1; then
  useradd -m -s /bin/sh "$USER_NAME"
  made_user=1
fi
home="$(getent passwd "$USER_NAME" | cut -d: -f6)"

# One start of the program given as $1: waits for its window, chooses File > Exit (Exit is the
# File menu's last item), and gives the program's exit code.
cat > "$work/session.sh" <<'EOF'
#!/bin/sh
"$1" &
pid=$!
win="$(timeout 30 xdotool search --sync --onlyvisible --name '^Velomira V' | head -n 1)"
if [ -z "$win" ]; then echo "no window" >&2; kill "$pid"; exit 1; fi
# File opens its menu, a second window of the program; Up then selects its last item.
xdotool mousemove --window "$win" 15 10 click 1
for _ in $(seq 1 100); do
  [ "$(xdotool search --onlyvisible --class velomira | wc -l)" -ge 2 ] && break
  sleep 0.1
done
xdotool key Up Return
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then echo "File > Exit did not end it" >&2; kill -9 "$pid"; fi
wait "$pid"
EOF
chmod 755 "$work" "$work/session.sh"
# start USER HOME PROGRAM: one session as USER with that home, in a clean environment.
start() {
  local status=0
  runuser -u "$1" -- env -i HOME="$2" USER="$1" PATH=/usr/bin:/bin LANG=C.UTF-8 \
    SDL_AUDIODRIVER=dummy xvfb-run -a "$work/session.sh" "$3" > "$work/session.log" 2>&1 || status=$?
  grep -v 'XDG_RUNTIME_DIR' "$work/session.log" || true
  [ "$status" = 0 ] || fail "$3 did not end normally (exit code $status)"
}
start_as_user() { start "$USER_NAME" "$home" "$1"; }
same_bytes() { cmp -s "$1" "$2" || fail "$3"; }

config="$home/.config/velomira/velomira.ini"
rm -rf "$home/.config/velomira"
start_as_user /usr/bin/velomira
same_bytes "$config" "$work/default.ini" "the installed program's first end: not the 17 default lines in $config"
[ "$(wc -l < "$config")" = 17 ] || fail "$config has not 17 lines"
echo "$config: the 17 default lines"

# The second start reads what is there: a changed wheel is written back unchanged.
sed -i 's/^Type = no name/Type = bench 60-2/; s/^AvailableTeeth = 46/AvailableTeeth = 58/; s/^WheelAt = camshaft/WheelAt = crankshaft/' "$config"
cp "$config" "$work/changed.ini"
start_as_user /usr/bin/velomira
same_bytes "$config" "$work/changed.ini" "the second start did not read back $config"
echo "second start: read back"

# A portable copy in a folder the user may write keeps its settings beside itself.
portable="$home/portable"
install -d -o "$USER_NAME" "$portable"
install -o "$USER_NAME" -m 755 /usr/bin/velomira "$portable/velomira"
start_as_user "$portable/velomira"
same_bytes "$portable/velomira.ini" "$work/default.ini" "the portable copy's settings are not the defaults beside it"
same_bytes "$config" "$work/changed.ini" "the portable copy touched $config"
echo "portable copy: settings beside it, $config untouched"

# A settings file the user may write, beside a copy in a folder the user may not write, stays
# the one read and written.
fixed="$work/fixed"
install -d -m 755 "$fixed"
install -m 755 /usr/bin/velomira "$fixed/velomira"
install -o "$USER_NAME" -m 644 "$work/changed.ini" "$fixed/velomira.ini"
rm -rf "$home/.config/velomira"
start_as_user "$fixed/velomira"
[ ! -e "$config" ] || fail "a writable settings file beside the program was passed over for $config"
same_bytes "$fixed/velomira.ini" "$work/changed.ini" "the settings file beside the program changed"
echo "writable settings file in a folder the user may not write: used"
# Root may write in /usr/bin, but an installed program keeps root's settings in root's folder.
start root "$work/root-home" /usr/bin/velomira
same_bytes "$work/root-home/.config/velomira/velomira.ini" "$work/default.ini" "root's settings are not in its folder"
[ ! -e /usr/bin/velomira.ini ] || fail "the installed program wrote /usr/bin/velomira.ini"
echo "root: settings in its own folder, none in /usr/bin"
echo "== package test passed"
