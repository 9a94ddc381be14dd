#!/bin/sh
# Installs the build into a scratch root and checks that every installed file
# is where the desktop, udev and the programs look for it.
set -eu
build="$1"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

DESTDIR="$root" cmake --install "$build" --prefix /usr/local >/dev/null

fail=0
for file in \
  usr/local/bin/tusko usr/local/bin/tuskoctl usr/local/bin/tusko-gatewaysim \
  usr/local/share/dravenixisdntusko/LANG.INI \
  usr/local/share/dravenixisdntusko/lang/english.ini \
  usr/local/share/dravenixisdntusko/lang/german.ini \
  usr/local/share/dravenixisdntusko/help/en/index.html \
  usr/local/share/applications/dravenixisdntusko.desktop \
  usr/local/share/icons/hicolor/scalable/apps/dravenixisdntusko.svg \
  etc/udev/rules.d/70-dravenixisdntusko.rules; do
  if [ ! -f "$root/$file" ]; then
    echo "missing: /$file"
    fail=1
  fi
done

rules="$root/etc/udev/rules.d/70-dravenixisdntusko.rules"
for needle in 'ATTRS{idVendor}=="1cbe"' 'ATTRS{idProduct}=="0002"' 'GROUP="dialout"' 'ENV{ID_MM_DEVICE_IGNORE}="1"'; do
  grep -qF "$needle" "$rules" || { echo "udev rule lacks $needle"; fail=1; }
done

if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$root/usr/local/share/applications/dravenixisdntusko.desktop" || fail=1
fi

# The installed command-line tool finds the installed language files from any folder.
(cd "$root" && "$root/usr/local/bin/tuskoctl" --help >/dev/null) || { echo "installed tuskoctl does not start"; fail=1; }
exit $fail
