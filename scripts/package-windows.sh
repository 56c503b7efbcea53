#!/usr/bin/env bash
# Installs what is missing, cross-builds the Windows programs (scripts/build-windows.sh
# --programs) and makes the Windows release of them in build-win/dist/ (DIST_DIR sets another
# folder):
#   nexo-backup-<version>-setup.exe   the setup program (NSIS): per machine below Program
#                                     Files, Start-menu entry, uninstaller, /S silent
#   nexo-backup-<version>-win64.zip   the same programs to unpack anywhere and run
# The version is the one of the generated version header. Signing: with NEXO_SIGN_PKCS12 (a
# PKCS#12 file with a code-signing certificate and its key) and NEXO_SIGN_PASSWORD (its
# password) set, the programs, the language libraries, the uninstaller and the setup are
# signed with osslsigncode (SHA-256); without them everything is left unsigned, and the script
# says so.
#   scripts/package-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

for arg in "$@"; do
  case "$arg" in
    -h|--help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "package-windows.sh: unknown option $arg (try --help)" >&2; exit 2 ;;
  esac
done

source scripts/deps.sh
nexo_install_deps "${NEXO_WINDOWS_PACKAGES[@]}" "${NEXO_WINDOWS_PACKAGING_PACKAGES[@]}"

bash scripts/build-windows.sh --programs
BUILD=$(realpath "${BUILD_DIR:-build-win}")
DIST=${DIST_DIR:-$BUILD/dist}
mkdir -p "$DIST"
DIST=$(realpath "$DIST")

VERSION=$(sed -n 's/.*kProgramVersion = "\(.*\)";.*/\1/p' "$BUILD/generated/resources/Version.h")
[[ -n $VERSION ]] || { echo "package-windows.sh: no version in $BUILD/generated/resources/Version.h" >&2; exit 1; }
# The version resource takes four numbers: those that start the version text.
VERSION_WORDS=$(grep -oE '^[0-9]+(\.[0-9]+){0,3}' <<<"$VERSION")
while [[ $(tr -cd . <<<"$VERSION_WORDS" | wc -c) -lt 3 ]]; do VERSION_WORDS+=.0; done

WORK=$(mktemp -d /tmp/nexo-package.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

SIGNING=0
if [[ -n ${NEXO_SIGN_PKCS12:-} || -n ${NEXO_SIGN_PASSWORD:-} ]]; then
  [[ -f ${NEXO_SIGN_PKCS12:-} ]] || { echo "package-windows.sh: NEXO_SIGN_PKCS12 names no file" >&2; exit 1; }
  [[ -n ${NEXO_SIGN_PASSWORD:-} ]] || { echo "package-windows.sh: NEXO_SIGN_PASSWORD is not set" >&2; exit 1; }
  SIGNING=1
  # The password goes to osslsigncode in a file of our own, never on a command line.
  (umask 077 && printf '%s' "$NEXO_SIGN_PASSWORD" >"$WORK/password")
  # A signing script for makensis's uninstaller hook too.
  cat >"$WORK/sign.sh" <<EOF
#!/usr/bin/env bash
set -euo pipefail
osslsigncode sign -pkcs12 "$(realpath "$NEXO_SIGN_PKCS12")" -readpass "$WORK/password" -h sha256 \\
  -n "nexo-backup" -in "\$1" -out "\$1.signed" >/dev/null
mv "\$1.signed" "\$1"
EOF
  chmod +x "$WORK/sign.sh"
fi
sign() {
  ((SIGNING)) || return 0
  local file
  for file in "$@"; do
    "$WORK/sign.sh" "$file" || { echo "package-windows.sh: signing $file failed" >&2; exit 1; }
  done
}
# Windows' own tools show text files with CR LF.
crlf() { sed 's/\r$//; s/$/\r/' "$1"; }

# What is installed, as the zip holds it.
STAGE=$WORK/nexo-backup-$VERSION
mkdir -p "$STAGE"
cp "$BUILD/nexo-backup-cli.exe" "$STAGE/"
HAVE_DIALOG=0
if [[ -f $BUILD/nexo-backup.exe ]]; then
  HAVE_DIALOG=1
  mkdir -p "$STAGE/lng"
  cp "$BUILD/nexo-backup.exe" "$STAGE/"
  cp "$BUILD"/lng/blang_*.dll "$STAGE/lng/"
  [[ $(ls "$STAGE"/lng/blang_*.dll | wc -l) -eq 8 ]] ||
    { echo "package-windows.sh: the build holds not the eight language libraries" >&2; exit 1; }
else
  echo "package-windows.sh: the build holds no dialog program (nexo-backup.exe): the command-line tool only" >&2
fi
crlf packaging/copyright >"$STAGE/copyright.txt"
crlf packaging/windows/README.txt | sed "s/@VERSION@/$VERSION/" >"$STAGE/README.txt"
sign "$STAGE"/*.exe
((HAVE_DIALOG)) && sign "$STAGE"/lng/*.dll

SETUP=$DIST/nexo-backup-$VERSION-setup.exe
ZIP=$DIST/nexo-backup-$VERSION-win64.zip
defines=(-DVERSION="$VERSION" -DVERSION_WORDS="$VERSION_WORDS" -DSTAGE="$STAGE" -DOUTFILE="$SETUP")
((HAVE_DIALOG)) && defines+=(-DHAVE_DIALOG)
((SIGNING)) && defines+=(-DSIGN="$WORK/sign.sh \"%1\"")
rm -f "$SETUP"
makensis -V2 -INPUTCHARSET UTF8 "${defines[@]}" packaging/windows/nexo-backup.nsi
sign "$SETUP"

rm -f "$ZIP"
# The same time stamp on every entry, so the zip of one build is always the same bytes.
find "$STAGE" -exec touch -h -d "@${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}" {} +
(cd "$WORK" && find "nexo-backup-$VERSION" | LC_ALL=C sort | zip -q -X -@ "$ZIP")

if ((SIGNING)); then
  echo "Signed with the certificate of $NEXO_SIGN_PKCS12."
else
  echo "Not signed: NEXO_SIGN_PKCS12 and NEXO_SIGN_PASSWORD name no certificate."
fi
echo "Windows release: $SETUP $ZIP"
