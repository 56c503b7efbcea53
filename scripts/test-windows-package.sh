#!/usr/bin/env bash
# Installs what is missing, makes the Windows release signed with a throwaway certificate
# (scripts/package-windows.sh) and tries it under Wine, in a fresh prefix:
#   1. every program, language library and the setup carry a valid signature;
#   2. the setup installs silently (/S); the files, the Start-menu entry and the entry in the
#      installed-programs list are there; the dialog started from its shortcut speaks the
#      user's language (German) and so found lng\ below the shortcut's working folder; the
#      installed nexo-backup-cli.exe backs up the Linux nexo-sim in German from an unrelated
#      folder; the silent uninstaller leaves no file, shortcut or registry entry behind;
#   3. the zip, unpacked into a folder with a space in its name, runs the same way.
#   scripts/test-windows-package.sh
# The Linux nexo-sim comes from build-asan/ when scripts/test.sh has made it, else from build/
# (LINUX_BUILD_DIR sets another folder). The dialog runs on Xvfb display :92
# (NEXO_PACKAGE_DISPLAY sets another).
set -euo pipefail
cd "$(dirname "$0")/.."

for arg in "$@"; do
  case "$arg" in
    -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "test-windows-package.sh: unknown option $arg (try --help)" >&2; exit 2 ;;
  esac
done

source scripts/deps.sh
nexo_install_deps "${NEXO_WINE_PACKAGES[@]}" "${NEXO_WINDOWS_PACKAGING_PACKAGES[@]}" \
  "${NEXO_WINDOWS_PACKAGE_TEST_PACKAGES[@]}"

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }

WORK=$(mktemp -d /tmp/nexo-winpkg.XXXXXX)
SIM_PID=
cleanup() {
  [[ -z $SIM_PID ]] || { kill -TERM "$SIM_PID" 2>/dev/null; wait "$SIM_PID" 2>/dev/null; } || true
  [[ -z ${WINEPREFIX:-} ]] || wineserver -k 2>/dev/null || true
  ! declare -F nexo_xvfb_stop >/dev/null || nexo_xvfb_stop
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
  echo "test-windows-package: $*" >&2
  exit 1
}

echo "== The release, signed with a throwaway certificate"
t0=$(now)
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=nexo-backup throwaway test signer" \
  -addext "extendedKeyUsage=codeSigning" -keyout "$WORK/key.pem" -out "$WORK/cert.pem" 2>/dev/null
PASSWORD_P12=$(head -c 18 /dev/urandom | base64)
openssl pkcs12 -export -inkey "$WORK/key.pem" -in "$WORK/cert.pem" -out "$WORK/signer.p12" \
  -passout "pass:$PASSWORD_P12"
NEXO_SIGN_PKCS12=$WORK/signer.p12 NEXO_SIGN_PASSWORD=$PASSWORD_P12 DIST_DIR=$WORK/dist \
  bash scripts/package-windows.sh >"$WORK/package.log" 2>&1 || { cat "$WORK/package.log" >&2; fail "package-windows.sh failed"; }
BUILD=$(realpath "${BUILD_DIR:-build-win}")
VERSION=$(sed -n 's/.*kProgramVersion = "\(.*\)";.*/\1/p' "$BUILD/generated/resources/Version.h")
SETUP=$WORK/dist/nexo-backup-$VERSION-setup.exe
ZIP=$WORK/dist/nexo-backup-$VERSION-win64.zip
[[ -f $SETUP && -f $ZIP ]] || fail "package-windows.sh did not write $SETUP and $ZIP"
HAVE_DIALOG=0
[[ -f $BUILD/nexo-backup.exe ]] && HAVE_DIALOG=1
echo "   $(seconds "$t0" "$(now)") s"

echo "-- every signature"
verify() {
  osslsigncode verify -CAfile "$WORK/cert.pem" -in "$1" >"$WORK/verify.log" 2>&1 ||
    { cat "$WORK/verify.log" >&2; fail "no valid signature on $(basename "$1")"; }
  grep -q "Signature verification: ok" "$WORK/verify.log" || { cat "$WORK/verify.log" >&2; fail "signature of $1"; }
}
mkdir -p "$WORK/zipcheck"
unzip -q "$ZIP" -d "$WORK/zipcheck"
signed=("$SETUP")
mapfile -t -O 1 signed < <(find "$WORK/zipcheck" -name '*.exe' -o -name '*.dll')
for file in "${signed[@]}"; do verify "$file"; done
echo "   ${#signed[@]} files signed and verified"
rm -rf "$WORK/zipcheck"

nexo_linux_programs nexo-sim

echo "== A fresh Wine prefix"
t0=$(now)
source scripts/wine-prefix.sh
nexo_wine_prefix "$WORK/prefix"
# No copies of the Start-menu entries in this machine's own menus.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
echo "   $(seconds "$t0" "$(now)") s"
# Everything of the prefix that names the tool, to compare before and after. The server
# writes the registry files as it ends: it is stopped first, once nothing runs any more.
traces() {
  wineserver -k 2>/dev/null || true
  wineserver -w
  (cd "$WINEPREFIX/drive_c" && find . -iname '*nexo*' | LC_ALL=C sort)
  grep -ih 'nexo' "$WINEPREFIX"/*.reg | LC_ALL=C sort || true
  wineserver -p
}
traces >"$WORK/traces-before"

if ((HAVE_DIALOG)); then
  nexo_xvfb_start "${NEXO_PACKAGE_DISPLAY:-92}" || fail "no virtual X server"
fi
SLOT=$(( 0x$(printf '%s' "$PWD" | md5sum | cut -c1-2) % 200 ))
SIM_PASSWORD="pkg-5678"
printf '%s\n' "$SIM_PASSWORD" >"$WORK/password"
GERMAN_TITLE="Version des NEXO-Datensicherungstools $VERSION"

# dialog_in_german HOW...: starts the dialog (wine HOW...) in German and waits for its window
# with the German title; a screenshot of it lands in $WORK/$SHOT.png.
dialog_in_german() {
  LC_ALL=de_DE.UTF-8 wine "$@" >/dev/null 2>&1 &
  local starter=$! window=
  for i in $(seq 300); do
    window=$(xdotool search --name "^$GERMAN_TITLE\$" 2>/dev/null | head -n 1 || true)
    [[ -n $window ]] && break
    sleep 0.1
  done
  if [[ -z $window ]]; then
    echo "windows shown:" >&2
    xdotool search --name . getwindowname %@ 2>/dev/null >&2 || true
    fail "no window titled \"$GERMAN_TITLE\" (wine $*)"
  fi
  import -display "$DISPLAY" -window root "$WORK/$SHOT.png" 2>/dev/null || true
  wine taskkill /f /im nexo-backup.exe >/dev/null 2>&1 || true
  wait "$starter" 2>/dev/null || true
}

# backup_in_german EXE N: EXE (a Windows path) backs up a Linux nexo-sim on address N from an
# unrelated folder, in German.
backup_in_german() {
  local exe=$1 address=127.204.$SLOT.$2 ready=$WORK/ready-$2
  "$LINUX/nexo-sim" --address "$address" --version 107 --skds none --password "$SIM_PASSWORD" \
    --time-scale 0.1 --ready-file "$ready" >/dev/null 2>>"$WORK/sim.log" &
  SIM_PID=$!
  for i in $(seq 100); do [[ -e $ready ]] && break; sleep 0.1; done
  [[ -e $ready ]] || fail "nexo-sim on $address did not start: $(cat "$WORK/sim.log")"
  mkdir -p "$WORK/elsewhere"
  (cd "$WORK/elsewhere" && LC_ALL=de_DE.UTF-8 timeout 300 wine "$exe" backup "$address" \
    "$(winepath -w "$WORK/elsewhere/backup-$2.mrk")" --password-file "$(winepath -w "$WORK/password")" \
    --time-scale 0.1) >"$WORK/cli.out" 2>&1 || { cat "$WORK/cli.out" >&2; fail "$exe backup failed"; }
  kill -INT "$SIM_PID"
  wait "$SIM_PID" || true
  SIM_PID=
  local last
  last=$(tail -n 1 "$WORK/cli.out" | tr -d '\r')
  [[ $last == "Die Verbindung zum NEXO wurde geschlossen." ]] ||
    { cat "$WORK/cli.out" >&2; fail "$exe did not speak German; its last line: $last"; }
  grep -q '^Global.Version=107' "$WORK/elsewhere/backup-$2.mrk" || fail "$exe wrote no backup file"
}

# What a .lnk file names: its target and working folder (Windows paths), one a line.
shortcut_fields() {
  python3 - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 0x14)[0]
at = 0x4C
if flags & 0x1:                      # HasLinkTargetIDList
    at += 2 + struct.unpack_from("<H", data, at)[0]
target = ""
if flags & 0x2:                      # HasLinkInfo
    size, header, info_flags, _, base = struct.unpack_from("<IIIII", data, at)[:5]
    if info_flags & 0x1:
        end = data.index(b"\0", at + base)
        target = data[at + base:end].decode("mbcs" if sys.platform == "win32" else "latin-1")
    at += size
def string():
    global at
    count = struct.unpack_from("<H", data, at)[0]
    text = data[at + 2:at + 2 + 2 * count].decode("utf-16-le")
    at += 2 + 2 * count
    return text
fields = {}
for bit, name in ((0x4, "name"), (0x8, "relative"), (0x10, "workdir"), (0x20, "arguments"), (0x40, "icon")):
    if flags & bit:
        fields[name] = string()
print(target)
print(fields.get("workdir", ""))
EOF
}

INSTALL_WIN='C:\Program Files\nexo-backup'
INSTALL=$WINEPREFIX/drive_c/Program\ Files/nexo-backup
SHORTCUT=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/nexo-backup.lnk
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\nexo-backup'

echo "== The setup program"
t0=$(now)
echo "-- a silent install"
(cd "$WORK" && LC_ALL=de_DE.UTF-8 timeout 300 wine "$(winepath -w "$SETUP")" /S) >/dev/null 2>&1 ||
  fail "the silent setup failed"
files=(nexo-backup-cli.exe copyright.txt README.txt uninstall.exe)
((HAVE_DIALOG)) && files+=(nexo-backup.exe lng/blang_{de,en,fr,nl,it,sv,da,es}.dll)
for f in "${files[@]}"; do
  [[ -f $INSTALL/$f ]] || fail "the setup did not install $f below Program Files"
done
for f in nexo-backup-cli.exe uninstall.exe; do verify "$INSTALL/$f"; done
wine reg query "$UNINSTALL_KEY" /reg:64 >"$WORK/entry" 2>/dev/null || fail "no entry in the installed-programs list"
for value in "DisplayName.*nexo-backup" "DisplayVersion.*$VERSION" "Publisher" "EstimatedSize.*0x" \
  "UninstallString.*uninstall.exe" "QuietUninstallString.*/S" "InstallLocation.*Program Files\\\\nexo-backup"; do
  grep -qE "$value" "$WORK/entry" || { cat "$WORK/entry" >&2; fail "the installed-programs entry lacks $value"; }
done
echo "   files and the installed-programs entry are there"

if ((HAVE_DIALOG)); then
  echo "-- the dialog from its Start-menu shortcut, in German"
  [[ -f $SHORTCUT ]] || fail "no Start-menu shortcut"
  mapfile -t lnk < <(shortcut_fields "$SHORTCUT")
  [[ ${lnk[0]} == "$INSTALL_WIN\\nexo-backup.exe" ]] || fail "the shortcut starts ${lnk[0]}"
  [[ ${lnk[1]} == "$INSTALL_WIN" ]] || fail "the shortcut's working folder is \"${lnk[1]}\", not the installation folder"
  SHOT=installed dialog_in_german start /wait "$(winepath -w "$SHORTCUT")"
  echo "   \"$GERMAN_TITLE\""
else
  echo "-- (no dialog program in this build: the shortcut and the dialog are not tried)"
fi

echo "-- the installed nexo-backup-cli.exe from an unrelated folder, in German"
backup_in_german "$INSTALL_WIN\\nexo-backup-cli.exe" 1
echo "   backed up, in German"

echo "-- the silent uninstaller"
# The uninstaller runs a copy of itself from the temporary folder and returns at once.
wine "$INSTALL_WIN\\uninstall.exe" /S >/dev/null 2>&1 || fail "the uninstaller failed"
for i in $(seq 300); do
  [[ -e $INSTALL ]] || break
  sleep 0.1
done
[[ ! -e $INSTALL ]] || { find "$INSTALL" >&2; fail "the uninstaller left the installation folder"; }
[[ ! -e $SHORTCUT ]] || fail "the uninstaller left the shortcut"
# The registry entry goes last, a moment after the folder.
for i in $(seq 50); do
  wine reg query "$UNINSTALL_KEY" /reg:64 >/dev/null 2>&1 || break
  sleep 0.2
done
! wine reg query "$UNINSTALL_KEY" /reg:64 >/dev/null 2>&1 || fail "the uninstaller left the installed-programs entry"
traces >"$WORK/traces-after"
diff "$WORK/traces-before" "$WORK/traces-after" >&2 || fail "the uninstaller left traces of the tool in the prefix"
echo "   no file, shortcut or registry entry left"
echo "   $(seconds "$t0" "$(now)") s"

echo "== The zip"
t0=$(now)
UNPACKED="$WORK/unpacked here"
mkdir -p "$UNPACKED"
unzip -q "$ZIP" -d "$UNPACKED"
TOP="$UNPACKED/nexo-backup-$VERSION"
for f in nexo-backup-cli.exe copyright.txt README.txt; do
  [[ -f $TOP/$f ]] || fail "the zip lacks $f"
done
grep -q "Exit status" "$TOP/README.txt" || fail "README.txt does not tell the exit statuses"
if ((HAVE_DIALOG)); then
  for l in de en fr nl it sv da es; do [[ -f $TOP/lng/blang_$l.dll ]] || fail "the zip lacks lng/blang_$l.dll"; done
  echo "-- the unpacked dialog started in its folder, in German"
  (cd "$TOP" && SHOT=unpacked dialog_in_german ./nexo-backup.exe)
  echo "   \"$GERMAN_TITLE\""
fi
echo "-- the unpacked nexo-backup-cli.exe from an unrelated folder, in German"
backup_in_german "$(winepath -w "$TOP/nexo-backup-cli.exe")" 2
echo "   backed up, in German"
traces >"$WORK/traces-after"
diff "$WORK/traces-before" "$WORK/traces-after" >&2 || fail "the unpacked programs left traces in the prefix"
echo "   $(seconds "$t0" "$(now)") s"
if [[ -n ${NEXO_PACKAGE_SHOTS:-} ]]; then
  mkdir -p "$NEXO_PACKAGE_SHOTS"
  cp "$WORK"/*.png "$NEXO_PACKAGE_SHOTS/" 2>/dev/null || true
fi
echo "== Windows release passed"
