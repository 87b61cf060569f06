#!/usr/bin/env bash
# Takes a screenshot of Quillet under Xvfb with a small window manager, for
# the README and for looking at the window without a display:
#   tools/screenshot.sh OUT.png [PROGRAM_FOLDER] [xdotool key arguments...]
# The keys (e.g. "alt+v" "--delay 300 Down Right") are sent before the shot.
# Needs xvfb, openbox, xdotool and imagemagick; installs the missing ones.
set -euo pipefail
out=$(realpath -m "$1"); shift
folder=${1:-$(mktemp -d)}; shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
for p in xvfb xauth openbox xdotool imagemagick fonts-ipafont-gothic; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=" $p"
done
if [ -n "${missing:-}" ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get install -y -qq --no-install-recommends $missing
fi
keys=""
[ $# -gt 0 ] && keys=$(printf '"%s" ' "$@")
inner=$(mktemp)
cat > "$inner" <<INNER
openbox >/dev/null 2>&1 & wm=\$!
sleep 1
QUILLET_APP_FOLDER="$folder" "$root/build/src/app/quillet" & pid=\$!
sleep 3
for k in $keys; do xdotool key \$k; sleep 0.5; done
import -window root "$out.full.png"
kill -TERM \$pid; wait \$pid || true
kill \$wm || true
INNER
xvfb-run -a -s "-screen 0 1000x760x24" bash "$inner"
# The window opens at its designed place: crop to it.
convert "$out.full.png" -crop 764x590+199+118 +repage "$out"
rm -f "$out.full.png" "$inner"
