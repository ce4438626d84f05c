#!/usr/bin/env bash
# Prepares a demo "USB stick" folder in the build tree: the program, a config.ini that lets
# it run from a non-USB drive (LoadFromHDD=1), the demo catalogue's descriptors, and a
# desktop entry with its icon. Prints the folder. Usage: tools/make_demo_stick.sh <build dir>
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(cd "${1:?usage: make_demo_stick.sh <build dir>}" && pwd)
stick=$bin/demo-stick
mkdir -p "$stick/ArchiwumKW/files"
# A copy, not a link: the program finds its folder from its own executable's real path.
cp -f "$bin/app/ArchiwumKW" "$stick/ArchiwumKW"
if [ ! -f "$stick/config.ini" ]; then
  printf '[Ogolne]\r\nLoadFromHDD=1\r\nGrupowanieKolumna=301\r\n' > "$stick/config.ini"
fi
if ! ls "$stick/ArchiwumKW/"*.kwbackup >/dev/null 2>&1; then
  "$bin/tools/make_demo_catalogue" "$stick/ArchiwumKW"
fi
cp -f app/resources/archiwumkw.svg "$stick/archiwumkw.svg"
sed -e "s|^Exec=.*|Exec=\"$stick/ArchiwumKW\"|" -e "s|^Icon=.*|Icon=$stick/archiwumkw.svg|" \
  app/resources/archiwumkw.desktop > "$stick/archiwumkw.desktop"
echo "$stick"
