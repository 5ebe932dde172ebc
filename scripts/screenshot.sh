#!/usr/bin/env bash
# Makes docs/screenshot.png: the demo under Xvfb after a whole Erase & Program run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
for p in xdotool imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" \
    || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$p"
done
bash scripts/build.sh

display=:97
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp &
xvfb=$!
trap 'kill $demo $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display bash scripts/demo.sh > /tmp/zandor-screenshot-demo.log 2>&1 &
demo=$!

export DISPLAY=$display
window=$(timeout 60 xdotool search --sync --name "Varnex Controller Programming Tool using")
window=$(echo "$window" | head -n 1)
sleep 4                               # the start-up contact attempt and loader download
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --window "$window" alt+a  # Erase & Program
sleep "${ZANDOR_SCREENSHOT_WAIT:-12}" # erase plus the paced download of the sample
mkdir -p docs
import -window "$window" docs/screenshot.png
echo "wrote docs/screenshot.png"
