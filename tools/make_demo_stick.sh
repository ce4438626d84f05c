#!/usr/bin/env bash
# Prepares a demo "USB stick" folder in the build tree: the program, a config.ini that lets
# it run from a non-USB drive (LoadFromHDD=1), the demo catalogue's descriptors, and a
# desktop entry with its icon. Prints the folder; the program in it is ArchiwumKW.run.
# Usage: tools/make_demo_stick.sh <build dir>
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(cd "${1:?usage: make_demo_stick.sh <build dir>}" && pwd)
stick=$bin/demo-stick
mkdir -p "$stick/ArchiwumKW/files"
# A copy, not a link: the program finds its folder from its own executable's real path.
# Its archive folder "ArchiwumKW" sits beside it, so the program file needs another name
# (a USB stick's FAT file system does not tell names apart by letter case either).
cp -f "$bin/app/ArchiwumKW" "$stick/ArchiwumKW.run"
if [ ! -f "$stick/config.ini" ]; then
  printf '[Ogolne]\r\nLoadFromHDD=1\r\nGrupowanieKolumna=301\r\n' > "$stick/config.ini"
fi
if ! ls "$stick/ArchiwumKW/"*.kwbackup >/dev/null 2>&1; then
  "$bin/tools/make_demo_catalogue" "$stick/ArchiwumKW"
fi
cp -f app/resources/archiwumkw.svg "$stick/archiwumkw.svg"
sed -e "s|^Exec=.*|Exec=\"$stick/ArchiwumKW.run\"|" -e "s|^Icon=.*|Icon=$stick/archiwumkw.svg|" \
  app/resources/archiwumkw.desktop > "$stick/archiwumkw.desktop"
echo "$stick"
