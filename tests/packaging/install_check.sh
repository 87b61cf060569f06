#!/usr/bin/env bash
# install_check.sh BUILD_DIR SCRATCH: installs BUILD_DIR into SCRATCH and
# checks what the desktop and the user find there.
set -euo pipefail
build=$1 root=$2
rm -rf "$root"
cmake --install "$build" --prefix "$root" >/dev/null
fail=0
for f in bin/quillet bin/quillet-cli \
         lib/quillet/plugins/jpeg.spi lib/quillet/plugins/png.spi lib/quillet/plugins/gif.spi \
         include/quillet/spi.h \
         share/applications/org.quillet.Quillet.desktop share/metainfo/org.quillet.Quillet.metainfo.xml \
         share/icons/hicolor/16x16/apps/quillet.png share/icons/hicolor/256x256/apps/quillet.png \
         share/icons/hicolor/scalable/apps/quillet.svg \
         share/man/man1/quillet.1.gz share/man/man1/quillet-cli.1.gz; do
  [ -f "$root/$f" ] || { echo "missing: $f"; fail=1; }
done
# The launcher names the installed program and an installed icon.
grep -qx 'Exec=quillet' "$root/share/applications/org.quillet.Quillet.desktop" || { echo "Exec is not quillet"; fail=1; }
# The manual pages read.
for page in quillet quillet-cli; do
  gzip -dc "$root/share/man/man1/$page.1.gz" | grep -q "^.TH" || { echo "$page.1.gz is no manual page"; fail=1; }
done
# The installed plug-ins load in the installed command-line program.
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
listed=$(QUILLET_APP_FOLDER="$folder/" "$root/bin/quillet-cli" plugins --plugins "$root/lib/quillet/plugins/" | grep -c '\.spi')
[ "$listed" -eq 3 ] || { echo "the installed plug-ins list $listed, not 3"; fail=1; }
exit $fail
