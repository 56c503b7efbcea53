#!/usr/bin/env bash
# Builds the Debian package and checks it without installing it: lintian, the desktop entry
# and the AppStream metadata; then unpacks it into a temporary root and, from an unrelated
# folder, runs that root's programs in German: nexo-backup-cli --version, a whole backup
# against that root's nexo-sim, and nexo-backup (offscreen) to see its German title; the fleet's
# systemd units pass systemd-analyze verify and are not enabled by the package.
#   scripts/check-package.sh [PACKAGE.deb]   checks the given package instead of building one
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
# identify reads the window title the program writes into its screenshots.
# systemd-analyze checks the units, man the manual pages they name.
NEXO_PACKAGES+=(lintian desktop-file-utils appstream imagemagick systemd man-db)
nexo_install_deps

if [[ $# -ge 1 ]]; then
  deb=$(realpath "$1")
else
  deb=$(bash scripts/package.sh | tail -n 1)
fi
echo "== Checking $deb"

ROOT=$(mktemp -d /tmp/nexo-pkg-root.XXXXXX)
WORK=$(mktemp -d /tmp/nexo-pkg-work.XXXXXX)
SIM=""
cleanup() {
  if [[ -n $SIM ]]; then
    kill -TERM "$SIM" 2>/dev/null || true
    wait "$SIM" 2>/dev/null || true
  fi
  rm -rf "$ROOT" "$WORK"
}
trap cleanup EXIT

fail() {
  echo "check-package: $*" >&2
  exit 1
}

echo "== lintian"
lintian --fail-on error --info "$deb" || fail "lintian reports errors"

dpkg-deb -x "$deb" "$ROOT"
BIN=$ROOT/usr/bin

echo "== desktop entry and AppStream metadata"
desktop=$(ls "$ROOT"/usr/share/applications/*.desktop)
desktop-file-validate "$desktop" || fail "desktop-file-validate failed"
appstreamcli validate --no-net "$ROOT"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate failed"
start_dir=$(sed -n 's/^Path=//p' "$desktop")
[[ -d $ROOT$start_dir/lng ]] || fail "the desktop entry starts the program in $start_dir, which holds no lng/"

echo "== systemd units of the fleet"
units=$WORK/units
mkdir -p "$units"
for unit in nexo-backup-fleet.service nexo-backup-fleet.timer; do
  [[ -f $ROOT/usr/lib/systemd/system/$unit ]] || fail "the package holds no $unit"
  # The unpacked root's program stands in for the installed one.
  sed "s|/usr/bin/|$BIN/|g" "$ROOT/usr/lib/systemd/system/$unit" >"$units/$unit"
done
# verify reports a bad value as a warning with status 0: any word from it is a failure.
status=0
verified=$(MANPATH=$ROOT/usr/share/man systemd-analyze verify "$units/nexo-backup-fleet.timer" \
  "$units/nexo-backup-fleet.service" 2>&1) || status=$?
[[ $status -eq 0 && -z $verified ]] || { echo "$verified" >&2; fail "systemd-analyze verify failed"; }
# Disabled until the administrator enables it: no links in /etc, no enabling script.
[[ ! -e $ROOT/etc/systemd ]] || fail "the package enables units itself (it ships /etc/systemd)"
dpkg-deb -e "$deb" "$WORK/control"
! grep -v '^[[:space:]]*#' "$WORK/control/postinst" | grep -qE 'enable|deb-systemd-helper' ||
  fail "the postinst script enables the fleet's units"
grep -q 'adduser --system' "$WORK/control/postinst" || fail "the postinst script makes no system user"

# Everything below runs from a folder that has nothing to do with the package.
cd "$WORK"
# German whether or not the machine has that locale: the programs read the variables themselves.
german=(env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=de_DE.UTF-8)

echo "== nexo-backup-cli --version"
version=$("$BIN/nexo-backup-cli" --version)
echo "   $version"
package_version=$(dpkg-deb -f "$deb" Version)
[[ $version == "$package_version"* ]] || fail "version $version is not that of the package ($package_version)"

echo "== A whole backup against the package's nexo-sim, in German"
password="pkg-check-1234"
printf '%s\n' "$password" >"$WORK/password"
address=127.77.0.1
"$BIN/nexo-sim" --address "$address" --version 108 --skds 1,2,5 --password "$password" --time-scale 0.01 \
  --ready-file "$WORK/ready" >"$WORK/sim.log" 2>&1 &
SIM=$!
for _ in $(seq 100); do
  [[ -e $WORK/ready ]] && break
  kill -0 "$SIM" 2>/dev/null || break
  sleep 0.1
done
[[ -e $WORK/ready ]] || { cat "$WORK/sim.log" >&2; fail "nexo-sim did not start on $address"; }

status=0
"${german[@]}" "$BIN/nexo-backup-cli" backup "$address" "$WORK/site.mrk" --password-file "$WORK/password" \
  --time-scale 0.01 >"$WORK/cli.out" 2>"$WORK/cli.err" || status=$?
sed 's/^/   /' "$WORK/cli.out"
cat "$WORK/cli.err" >&2
[[ $status -eq 0 ]] || fail "the backup ended with status $status"
! grep -q "Not language file found" "$WORK/cli.err" || fail "nexo-backup-cli found no language file"
# Status lines 145, 135, 163, a finished SKD and 137 of blang_de.ts.
for line in "NEXO-Version 108 gefunden." "Das Laden der Daten ist abgeschlossen." \
  "Warten auf den NEXO (ca. 70 Sekunden)" "Sicherung von SKD 5 abgeschlossen" \
  "Die Verbindung zum NEXO wurde geschlossen."; do
  grep -qxF "$line" "$WORK/cli.out" || fail "no status line \"$line\""
done
for key in Global.Version=108 UserManagerConfig.Data= SKD5.CRC=; do
  grep -q "^$key" "$WORK/site.mrk" || fail "the backup file holds no $key"
done

# Text 104 of blang_de.ts and the version.
title="Version des NEXO-Datensicherungstools $version"
# check_title NAME: renders the dialogs offscreen from the current folder and reads the main
# dialog's title back from its screenshot.
check_title() {
  local shots=$WORK/shots-$1 status=0
  # Without a language file the program would wait for its message box to be closed.
  "${german[@]}" QT_QPA_PLATFORM=offscreen timeout 60 "$BIN/nexo-backup" --screenshot "$shots" \
    >"$WORK/gui.log" 2>&1 || status=$?
  if [[ $status -ne 0 ]]; then
    cat "$WORK/gui.log" >&2
    fail "nexo-backup ($1) ended with status $status (124: it hung, likely on \"Not language file found!\")"
  fi
  local seen
  seen=$(identify -format '%[Title]' "$shots/main.png")
  echo "   $1: \"$seen\""
  [[ $seen == "$title" ]] || fail "nexo-backup ($1) shows the title \"$seen\", not \"$title\""
}

echo "== nexo-backup offscreen, its German title"
check_title "started in an unrelated folder"
(cd "$ROOT$start_dir" && check_title "started in the desktop entry's folder")

echo "== The package checks passed"
