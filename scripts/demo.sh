#!/usr/bin/env bash
# Builds Zandor and starts it against the simulated target board with the sample files.
# Everything lives in a temporary folder: the user's own profiles are not touched.
# Press "Erase & Program" (Alt+A) to watch a whole programming run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh
bash scripts/build.sh

demo=$(mktemp -d /tmp/zandor-demo.XXXXXX)
mkdir -p "$demo/work" "$demo/config/Zandor"
cp "$root"/samples/*.sre "$root"/samples/*.bin "$demo/work/"
link="$demo/ttyZANDOR"

# The simulated board, paced like a real line at 38400 baud.
"$root/build/sim/zandor-sim" --link "$link" --baud 38400 --log "$demo/sim.log" \
    --dump "$demo/memory.txt" > "$demo/sim.out" &
sim=$!
trap 'kill $sim 2>/dev/null || true; wait $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done

# Port 1 of the demo's own store points at the simulator.
printf '[General]\nCOM1=%s\n' "$link" > "$demo/config/Zandor/Zandor.ini"

echo "Demo folder: $demo (simulator log: $demo/sim.log)"
cd "$demo/work"
run=("$root/build/app/Zandor")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting under Xvfb (nothing will be visible; see scripts/screenshot.sh)."
  run=(xvfb-run -a "${run[@]}")
fi
XDG_CONFIG_HOME="$demo/config" "${run[@]}" "$@"
