#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it the way a user meets it: the
# desktop entry and metainfo validate, the file list is exactly what we ship, lintian finds
# no error, and once installed the window starts from its menu entry's command line, wakes the
# simulated board, loads the sample loader and shows its icon; removing the package leaves
# nothing behind. Installs and removes the package system-wide: run as root or with sudo.
# ZANDOR_BUILD_DIR picks another build folder than build/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZANDOR_BUILD_DIR:-build}

app_id=com.varnex.Zandor
icon_sizes=(16 32 48 64 128 256)  # pixels, as packaging/CMakeLists.txt installs them
poll_interval_s=0.1               # between looks while waiting for something to appear
display_wait_polls=100            # 10 s for Xvfb to name its display
link_wait_polls=100               # 10 s for the simulated board's link
loader_wait_polls=600             # 60 s for the window to start and load the loader
window_wait_polls=600             # 60 s more for the window to be mapped on a busy machine
window_title_start="Varnex Controller Programming Tool using"

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
fail() { echo "check-package: FAILED: $*" >&2; exit 1; }
step() { echo "== $*"; }
apt_get() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get -y -qq "$@"; }
is_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

bash scripts/install-deps.sh desktop-file-utils appstream lintian dpkg-dev file xvfb xauth x11-utils

step "package"
bash scripts/package.sh
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$(pwd)/$build/zandor_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no package at $deb"

programs=(Zandor zandor-cli zandor-line zandor-sim)
# The production line's window has a menu entry and metainfo of its own.
line_app_id=com.varnex.ZandorLine

tmp=$(mktemp -d /tmp/zandor-check-package.XXXXXX)
pids=()
installed_by_us=false
stop_started() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  pids=()
}
cleanup() {
  stop_started
  if $installed_by_us && is_installed zandor; then apt_get remove zandor >/dev/null || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

# Polls "$@" until it succeeds, at most $1 times.
wait_for() {
  local polls=$1
  shift
  for ((i = 0; i < polls; i++)); do
    "$@" && return 0
    sleep "$poll_interval_s"
  done
  return 1
}

step "desktop entry and metainfo"
dpkg-deb -x "$deb" "$tmp/root"
for id in "$app_id" "$line_app_id"; do
  desktop-file-validate "$tmp/root/usr/share/applications/$id.desktop" \
    || fail "desktop-file-validate rejects $id.desktop"
  appstreamcli validate --no-net "$tmp/root/usr/share/metainfo/$id.metainfo.xml" \
    || fail "appstreamcli rejects $id.metainfo.xml"
done

step "file list"
{
  for program in "${programs[@]}"; do echo "usr/bin/$program"; done
  for id in "$app_id" "$line_app_id"; do
    echo "usr/share/applications/$id.desktop"
    echo "usr/share/metainfo/$id.metainfo.xml"
  done
  for size in "${icon_sizes[@]}"; do
    echo "usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
  done
  echo "usr/share/icons/hicolor/scalable/apps/$app_id.svg"
  for page in "${programs[@]}"; do echo "usr/share/man/man1/$page.1.gz"; done
  for sample in samples/*.sre samples/*.bin samples/README.md; do
    echo "usr/share/zandor/$sample"
  done
  for doc in README.md copyright changelog.gz; do echo "usr/share/doc/zandor/$doc"; done
} | sort > "$tmp/expected"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort > "$tmp/actual"
diff -u "$tmp/expected" "$tmp/actual" \
  || fail "the package's files differ from the expected list (- missing, + unexpected)"

step "control"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 \
  || fail "Depends lacks the Qt libraries: did dpkg-shlibdeps (dpkg-dev) run?"
dpkg-deb -f "$deb" Depends | grep -q qt6-qpa-plugins \
  || fail "Depends lacks qt6-qpa-plugins: the window could not start without recommends"
control_members=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -v '^\./$' | sort | tr '\n' ' ')
[ "$control_members" = "./control ./md5sums " ] \
  || fail "the control archive holds more than control and md5sums: $control_members"

step "lintian"
lintian --fail-on error "$deb" || fail "lintian reports errors"

step "install"
# A zandor package installed before is replaced by this one, which stays installed at the end.
installed_before=false
if is_installed zandor; then
  installed_before=true
  echo "removing the zandor package installed before; this one stays installed afterwards"
  apt_get remove zandor >/dev/null
fi
installed_by_us=true
apt_get install "$deb" >/dev/null
while read -r path; do
  [ -e "/$path" ] || fail "/$path is missing after the install"
done < "$tmp/expected"
for program in "${programs[@]}"; do
  [ "$(command -v "$program")" = "/usr/bin/$program" ] || fail "$program is not found on PATH"
  if ldd "/usr/bin/$program" | grep "not found" >&2; then
    fail "/usr/bin/$program needs libraries the package does not depend on"
  fi
done
desktop="/usr/share/applications/$app_id.desktop"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
icon=$(sed -n 's/^Icon=//p' "$desktop")
command -v "${exec_line%% *}" >/dev/null || fail "the menu entry runs '$exec_line', not on PATH"
for size in "${icon_sizes[@]}"; do
  [ -f "/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png" ] \
    || fail "the menu entry's icon '$icon' has no ${size}x${size} PNG"
done
if command -v man >/dev/null; then
  for page in "${programs[@]}"; do
    man -w "$page" >/dev/null || fail "man does not find the page $page"
  done
fi

step "zandor-cli"
zandor-cli --version | grep -qF "$version" || fail "zandor-cli --version does not say $version"
zandor-cli check /usr/share/zandor/samples/Appl.sre || fail "zandor-cli check of Appl.sre failed"
(unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM && Zandor --version) | grep -qF "$version" \
  || fail "Zandor --version does not say $version without a display"

step "the window starts from its menu entry"
# A real X server rather than the offscreen platform, so the plugin a desktop uses loads.
Xvfb -displayfd 3 -nolisten tcp -screen 0 800x600x24 3>"$tmp/display" 2>"$tmp/xvfb.log" &
pids+=($!)
wait_for "$display_wait_polls" test -s "$tmp/display" \
  || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
display=":$(head -n 1 "$tmp/display")"

# The installed simulated board on port 1 of a store of our own, so no message box about a
# missing port stops the start-up, and the user's own profiles are not touched.
zandor-sim --link "$tmp/ttyZANDOR" --log "$tmp/sim.log" </dev/null >"$tmp/sim.out" 2>&1 &
pids+=($!)
wait_for "$link_wait_polls" test -e "$tmp/ttyZANDOR" \
  || fail "zandor-sim did not start: $(cat "$tmp/sim.out")"
mkdir -p "$tmp/config/Zandor"
printf '[General]\nCOM1=%s\n' "$tmp/ttyZANDOR" > "$tmp/config/Zandor/Zandor.ini"

# The default profile names the sample pre-loader, loader and application, relative to the
# folder the window starts in. The entry's Exec takes no field codes, so splitting it at
# blanks gives its command line.
# shellcheck disable=SC2086
# A caller's QT_QPA_PLATFORM (offscreen, for the tests) would keep the window off the display.
(cd /usr/share/zandor/samples && unset QT_QPA_PLATFORM \
   && DISPLAY=$display XDG_CONFIG_HOME="$tmp/config" exec $exec_line) \
  >"$tmp/window.log" 2>&1 &
window=$!
pids+=("$window")
loader_loaded() {
  kill -0 "$window" 2>/dev/null || fail "the window ended at start-up: $(cat "$tmp/window.log")"
  grep -q '^loader first LoaderC167' "$tmp/sim.log" 2>/dev/null
}
wait_for "$loader_wait_polls" loader_loaded \
  || fail "the window did not load the sample loader; board log: $(cat "$tmp/sim.log")"
echo "the window started, woke the simulated board and loaded LoaderC167 from the samples"

# The window carries its icon, and its class is the one the menu entry names, so a dock
# shows the entry's icon for it.
find_window() {
  window_id=$(DISPLAY=$display xwininfo -root -tree \
                | awk -v title="\"$window_title_start" 'index($0, title) { print $1; exit }')
  [ -n "$window_id" ]
}
wait_for "$window_wait_polls" find_window \
  || fail "no window titled '$window_title_start ...'; windows: $(DISPLAY=$display xwininfo -root -tree \
           | grep -c '"') named, window output: $(cat "$tmp/window.log"); windows named:
$(DISPLAY=$display xwininfo -root -tree | grep '"' | head -n 20)"
DISPLAY=$display xprop -id "$window_id" _NET_WM_ICON | grep -q "Icon (32 x 32)" \
  || fail "the window shows no 32 x 32 icon"
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
DISPLAY=$display xprop -id "$window_id" WM_CLASS | grep -qF "\"$wm_class\"" \
  || fail "the window's class is not '$wm_class' as the menu entry says"
echo "the window shows its icon and has the class the menu entry names"

step "remove"
stop_started
apt_get remove zandor >/dev/null
installed_by_us=false
while read -r path; do
  [ ! -e "/$path" ] || fail "/$path is still there after the package was removed"
done < "$tmp/expected"
for dir in /usr/share/zandor /usr/share/doc/zandor; do
  [ ! -e "$dir" ] || fail "$dir is still there after the package was removed"
done
if $installed_before; then
  apt_get install "$deb" >/dev/null
  echo "installed $(basename "$deb") again in place of the zandor package found at the start"
fi

echo "check-package: the package $(basename "$deb") is fine"
