#!/usr/bin/env bash
# Installs what is missing, cross-builds the Windows programs (scripts/build-windows.sh) and
# runs them under Wine:
#   1. the core's unit tests, as Windows programs;
#   2. nexo-backup-cli.exe backs up a simulated version-108 gateway with SKDs (password from a
#      file) and restores the file into a fresh one: the file must be byte for byte the one the
#      Linux nexo-backup-cli writes from the same simulator seed, the restored state the original's;
#   3. nexo-sim.exe answers the Linux nexo-backup-cli, checked the same way;
#   4. the desktop program's dialogs, in-process (nexo-win32-test.exe) on a virtual X server:
#      every language library against its catalogue, the language choice, the main dialog, and
#      a whole backup and restore driven through the real dialog against the Linux nexo-sim,
#      whose status list must equal the Linux nexo-backup-cli's lines and whose file its file.
#   scripts/test-windows.sh              all four
#   scripts/test-windows.sh --no-unit    2 to 4 only
# The Linux programs come from build-asan/ when scripts/test.sh has made it, else from build/
# (LINUX_BUILD_DIR sets another folder). Wine's prefix lives in build-win/wine (WINEPREFIX
# sets another); its first start, which creates it, runs before anything that has a time limit.
set -euo pipefail
cd "$(dirname "$0")/.."

UNIT=1
for arg in "$@"; do
  case "$arg" in
    --no-unit) UNIT=0 ;;
    -h|--help) sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "test-windows.sh: unknown option $arg (try --help)" >&2; exit 2 ;;
  esac
done

source scripts/deps.sh
nexo_install_deps "${NEXO_WINE_PACKAGES[@]}"

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }

t0=$(now)
bash scripts/build-windows.sh
WIN=$(realpath "${BUILD_DIR:-build-win}")
echo "== Windows build: $(seconds "$t0" "$(now)") s"

nexo_linux_programs nexo-backup-cli nexo-sim

echo "== Wine's first start (creates the prefix in ${WINEPREFIX:-$WIN/wine} when there is none)"
t0=$(now)
source scripts/wine-prefix.sh
nexo_wine_prefix "${WINEPREFIX:-$WIN/wine}"
echo "   $(seconds "$t0" "$(now)") s"
trap 'wineserver -k 2>/dev/null || true' EXIT
t0=$(now)
wine cmd /c exit >/dev/null 2>&1
echo "   a later start: $(seconds "$t0" "$(now)") s"

if ((UNIT)); then
  echo "== Unit tests under Wine"
  t0=$(now)
  # ctest starts each test program through Wine (the toolchain's emulator).
  # One at a time: all Wine programs share one server, and two suites at once slow every
  # socket call enough to push replies past the 50 ms floor of the scaled time-outs.
  ctest --test-dir "$WIN" --no-tests=error --output-on-failure -j 1
  echo "   $(seconds "$t0" "$(now)") s"
fi

echo "== End-to-end runs under Wine"
t0=$(now)
WORK=$(mktemp -d /tmp/nexo-win.XXXXXX)
PASSWORD="win-1234"
# Scaled waits for a reply stay above the 50 ms floor (100 ms for a chunk), so a loaded
# machine or Wine's slower sockets cannot turn a slow reply into a silent SKD.
SCALE=0.1
SEED=7
LIMIT=600  # seconds for any one program run
SIMS=()
cleanup() {
  local pid
  for pid in "${SIMS[@]}"; do
    [[ -n $pid ]] || continue
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  nexo_xvfb_stop
  rm -rf "$WORK"
  wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
printf '%s\n' "$PASSWORD" >"$WORK/password"

# Addresses of this checkout's own, so two checkouts can run this at once.
SLOT=$(( 0x$(printf '%s' "$PWD" | md5sum | cut -c1-2) % 200 ))
address() { echo "127.203.$SLOT.$1"; }

fail() {
  echo "test-windows: $*" >&2
  [[ -f $WORK/sim.log ]] && tail -n 20 "$WORK/sim.log" >&2
  exit 1
}

# A Unix path as the Windows programs see it (Z:\...).
winpath() { winepath -w "$1" 2>/dev/null; }

# start_sim KIND ADDRESS SEED STATE_DIR: KIND linux or windows; the simulator saves its state to
# STATE_DIR when it stops.
start_sim() {
  local kind=$1 address=$2 seed=$3 state=$4 ready="$WORK/ready-$2"
  local args=(--address "$address" --version 108 --skds 1,2,5 --password "$PASSWORD" --seed "$seed"
    --time-scale "$SCALE")
  if [[ $kind == linux ]]; then
    "$LINUX/nexo-sim" "${args[@]}" --save-state "$state" --ready-file "$ready" >/dev/null 2>>"$WORK/sim.log" &
  else
    mkdir -p "$state"
    wine "$WIN/nexo-sim.exe" "${args[@]}" --save-state "$(winpath "$state")" --ready-file "$(winpath "$ready")" \
      >/dev/null 2>>"$WORK/sim.log" &
  fi
  SIMS+=($!)
  local i
  for i in $(seq 600); do
    [[ -e $ready ]] && return 0
    kill -0 "${SIMS[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  fail "the $kind nexo-sim on $address did not start"
}

# stop_sim: stops the last simulator started; it writes its state as it stops. Wine turns the
# interrupt into the console's Ctrl-C event, which nexo-sim.exe takes as its stop.
stop_sim() {
  local pid=${SIMS[-1]}
  kill -INT "$pid"
  wait "$pid" || fail "nexo-sim ended with an error"
  unset 'SIMS[-1]'
}

# cli KIND backup|restore ADDRESS FILE [LOCALE]: the status lines land in $WORK/cli.out.
cli() {
  local kind=$1 mode=$2 address=$3 file=$4 locale=${5:-C.UTF-8}
  if [[ $kind == linux ]]; then
    (cd "$LINUX" && env LC_ALL="$locale" timeout "$LIMIT" ./nexo-backup-cli "$mode" "$address" "$file" \
      --password-file "$WORK/password" --time-scale "$SCALE")
  else
    (cd "$WIN" && env LC_ALL="$locale" timeout "$LIMIT" wine ./nexo-backup-cli.exe "$mode" "$address" \
      "$(winpath "$file")" --password-file "$(winpath "$WORK/password")" --time-scale "$SCALE")
  fi >"$WORK/cli.out" 2>&1 || { cat "$WORK/cli.out" >&2; fail "$kind nexo-backup-cli $mode $address failed"; }
}

same_state() {
  diff -r "$1" "$2" >/dev/null || { diff -rq "$1" "$2" >&2 || true; fail "$3"; }
}

echo "-- the Linux reference: nexo-backup-cli backs up a Linux nexo-sim (seed $SEED)"
start_sim linux "$(address 1)" "$SEED" "$WORK/original"
cli linux backup "$(address 1)" "$WORK/linux.mrk"
stop_sim

echo "-- nexo-backup-cli.exe against the Linux nexo-sim"
start_sim linux "$(address 2)" "$SEED" "$WORK/unused"
# In German: Wine makes the user's language, which the Windows program follows, of LC_ALL.
cli windows backup "$(address 2)" "$WORK/windows-cli.mrk" de_DE.UTF-8
stop_sim
last=$(tail -n 1 "$WORK/cli.out" | tr -d '\r')
[[ $last == "Die Verbindung zum NEXO wurde geschlossen." ]] ||
  fail "nexo-backup-cli.exe did not speak the user's language (German); its last line: $last"
cmp "$WORK/linux.mrk" "$WORK/windows-cli.mrk" || fail "nexo-backup-cli.exe wrote another backup file than Linux"
start_sim linux "$(address 3)" $((SEED + 1)) "$WORK/restored-by-windows-cli"
cli windows restore "$(address 3)" "$WORK/windows-cli.mrk"
stop_sim
same_state "$WORK/original" "$WORK/restored-by-windows-cli" "the gateway restored by nexo-backup-cli.exe differs from the original"
echo "   same file as Linux, restored state equals the original"

echo "-- the Linux nexo-backup-cli against nexo-sim.exe"
start_sim windows "$(address 4)" "$SEED" "$WORK/windows-sim-original"
cli linux backup "$(address 4)" "$WORK/windows-sim.mrk"
stop_sim
cmp "$WORK/linux.mrk" "$WORK/windows-sim.mrk" || fail "the backup of nexo-sim.exe differs from that of the Linux nexo-sim"
same_state "$WORK/original" "$WORK/windows-sim-original" "nexo-sim.exe generates another state from the same seed"
start_sim windows "$(address 5)" $((SEED + 1)) "$WORK/restored-windows-sim"
cli linux restore "$(address 5)" "$WORK/windows-sim.mrk"
stop_sim
same_state "$WORK/original" "$WORK/restored-windows-sim" "nexo-sim.exe restored differs from the original"
echo "   same file as Linux, restored state equals the original"

echo "-- a password typed at the console of nexo-backup-cli.exe"
# typed_at_console TEXT COMMAND...: runs the command on a terminal of its own, types TEXT once
# it asks for the password, and prints what the terminal showed (without its control
# sequences) and then the exit status.
typed_at_console() {
  python3 - "$@" <<'EOF'
import os, pty, re, select, sys, time
typed, command = sys.argv[1].encode(), sys.argv[2:]
pid, fd = pty.fork()
if pid == 0:
    os.execvp(command[0], command)
shown, sent, deadline = b"", False, time.time() + 120
plain = lambda b: re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", b)
while time.time() < deadline:
    if select.select([fd], [], [], 0.2)[0]:
        try:
            data = os.read(fd, 4096)
        except OSError:
            break
        if not data:
            break
        shown += data
    if not sent and b"password:" in plain(shown).lower():
        # Wine's console on a Unix terminal mishandles what is typed before the read has
        # begun (it echoes it and never ends the line): type a moment later, as a person does.
        time.sleep(1)
        os.write(fd, typed)
        sent = True
if time.time() >= deadline:
    os.kill(pid, 9)
status = os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1])
sys.stdout.write(plain(shown).decode("utf-8", "replace") + "\nstatus %d\n" % status)
EOF
}
# The gateway compares Windows-1252 bytes; the console hands over characters, whatever its
# code page: "ä" must arrive as 0xE4.
CONSOLE_PASSWORD="geheim-ä"
"$LINUX/nexo-sim" --address "$(address 6)" --version 107 --skds none --password $'geheim-\xe4' \
  --time-scale "$SCALE" --ready-file "$WORK/ready-console" >/dev/null 2>>"$WORK/sim.log" &
SIMS+=($!)
for i in $(seq 100); do [[ -e $WORK/ready-console ]] && break; sleep 0.1; done
shown=$(cd "$WIN" && typed_at_console "$CONSOLE_PASSWORD"$'\r' env LC_ALL=C.UTF-8 wine ./nexo-backup-cli.exe \
  backup "$(address 6)" "$(winpath "$WORK/console.mrk")" --password-file - --time-scale "$SCALE")
[[ $shown == *"status 0"* ]] || { echo "$shown" >&2; fail "the password typed at the console was not taken"; }
[[ $shown != *geheim* ]] || { echo "$shown" >&2; fail "the password typed at the console was echoed"; }
# (Ctrl-Z, the console's end of input, cannot be tried here: Wine's console drops it from the line.)
stop_sim
echo "   not echoed, taken as typed"

echo "-- the progress line and the German status lines at the console of nexo-backup-cli.exe"
start_sim linux "$(address 11)" "$SEED" "$WORK/unused-11"
shown=$(cd "$WIN" && typed_at_console "" env LC_ALL=de_DE.UTF-8 wine ./nexo-backup-cli.exe backup "$(address 11)" \
  "$(winpath "$WORK/console-de.mrk")" --password-file "$(winpath "$WORK/password")" --time-scale "$SCALE")
stop_sim
[[ $shown == *"status 0"* ]] || { echo "$shown" >&2; fail "the backup at the console failed"; }
# Drawn in place at the console, with its dash: characters beyond ASCII reach the console as such.
grep -qE '\[[#-]{20}\] +[0-9]+%  .* '$'\xe2\x80\x93'' ' <<<"$shown" ||
  { echo "$shown" >&2; fail "no progress line at the console"; }
# Each status line shown once, with nothing of it written twice.
(( $(grep -c "Die Verbindung zum NEXO wurde geschlossen\.\s*$" <<<"$shown") == 1 )) ||
  { echo "$shown" >&2; fail "the last status line was not shown exactly once at the console"; }
[[ $shown != *$'\xef\xbf\xbd'* ]] || { echo "$shown" >&2; fail "the console showed broken characters"; }
echo "   progress line drawn, German lines shown once"

echo "   $(seconds "$t0" "$(now)") s"

echo "== The desktop program nexo-backup.exe under Wine"
t0=$(now)
# A virtual X server of its own display, started and stopped by its process id.
nexo_xvfb_start "${NEXO_WIN_DISPLAY:-91}" || fail "no virtual X server"

# dialog_test LOCALE ARGS...: nexo-win32-test.exe from the build folder, its summary shown.
dialog_test() {
  local locale=$1
  shift
  (cd "$WIN" && env LC_ALL="$locale" timeout "$LIMIT" wine ./nexo-win32-test.exe "$@") >"$WORK/dialog.out" 2>&1 ||
    { cat "$WORK/dialog.out" >&2; fail "nexo-win32-test.exe $1 failed"; }
  echo "   $1 ($locale): $(tail -n 1 "$WORK/dialog.out" | tr -d '\r')"
}
dialog_test de_DE.UTF-8 resources
dialog_test es_ES.UTF-8 dialog

# The Linux tool's status lines, the backup file's name written as <FILE>.
expected_lines() {
  python3 -c 'import sys; f = sys.argv[1]; sys.stdout.write(sys.stdin.read().replace(f, "<FILE>"))' "$1"
}
cli_lines() {
  local mode=$1 address=$2 file=$3 locale=$4
  (cd "$LINUX" && env LC_ALL="$locale" timeout "$LIMIT" ./nexo-backup-cli "$mode" "$address" "$file" \
    --password-file "$WORK/password" --time-scale "$SCALE") >"$WORK/cli.lines" 2>"$WORK/cli.err" ||
    { cat "$WORK/cli.err" >&2; fail "the Linux nexo-backup-cli $mode for the expected lines failed"; }
  expected_lines "$file" <"$WORK/cli.lines"
}
DIALOG_LOCALE=de_DE.UTF-8
# Any character in the path: the file dialog and the file manager take it as typed.
DIALOG_FILE="$WORK/dialog-Sicherung-ä.mrk"

echo "-- a backup through the dialog (German) against the Linux nexo-sim"
start_sim linux "$(address 7)" "$SEED" "$WORK/unused-7"
cli_lines backup "$(address 7)" "$WORK/cli-de.mrk" "$DIALOG_LOCALE" >"$WORK/expected-backup"
stop_sim
start_sim linux "$(address 8)" "$SEED" "$WORK/unused-8"
dialog_test "$DIALOG_LOCALE" job backup "$(address 8)" "$(winpath "$DIALOG_FILE")" "$(winpath "$WORK/expected-backup")" \
  "$PASSWORD" "$SCALE"
stop_sim
cmp "$WORK/linux.mrk" "$DIALOG_FILE" || fail "the dialog wrote another backup file than the Linux tool"
echo "   status list equal to the command-line tool's, same file as Linux"

echo "-- a restore through the dialog (German) into a fresh Linux nexo-sim"
start_sim linux "$(address 9)" $((SEED + 1)) "$WORK/unused-9"
cli_lines restore "$(address 9)" "$DIALOG_FILE" "$DIALOG_LOCALE" >"$WORK/expected-restore"
stop_sim
start_sim linux "$(address 10)" $((SEED + 1)) "$WORK/restored-by-dialog"
dialog_test "$DIALOG_LOCALE" job restore "$(address 10)" "$(winpath "$DIALOG_FILE")" "$(winpath "$WORK/expected-restore")" \
  "$PASSWORD" "$SCALE"
stop_sim
same_state "$WORK/original" "$WORK/restored-by-dialog" "the gateway restored by the dialog differs from the original"
echo "   status list equal to the command-line tool's, restored state equals the original"
echo "   $(seconds "$t0" "$(now)") s"
echo "== Windows tests passed"
