#!/usr/bin/env bash
# Installs what is missing, builds, backs up a simulated gateway (version 108, SKDs 1, 2 and 5)
# and restores the backup into a second, fresh simulated gateway; then shows that both hold
# the same state.
#   scripts/run-demo.sh         the whole backup and restore from the command line
#   scripts/run-demo.sh --gui   the simulator and the desktop program
set -euo pipefail
cd "$(dirname "$0")/.."

MODE=cli
for arg in "$@"; do
  case "$arg" in
    --gui) MODE=gui ;;
    -h|--help) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run-demo.sh: unknown option $arg (try --help)" >&2; exit 2 ;;
  esac
done

source scripts/deps.sh
nexo_install_deps

BUILD=${BUILD_DIR:-build}
echo "== Building in $BUILD/"
if [[ ! -f $BUILD/CMakeCache.txt ]]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(nexo_cmake_cache_args) >/dev/null
fi
TARGETS=(nexo-backup-cli nexo-sim)
[[ $MODE == gui ]] && TARGETS+=(nexo-backup)
cmake --build "$BUILD" -j "$(nproc)" --target "${TARGETS[@]}"

# The desktop program finds its language files in lng/ below the working directory.
cd "$BUILD"
WORK=$(mktemp -d /tmp/nexo-demo.XXXXXX)
PASSWORD="demo-1234"
SCALE=0.01
SIMS=()

cleanup() {
  local pid
  for pid in "${SIMS[@]}"; do
    [[ -n $pid ]] || continue
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$WORK"
}
trap cleanup EXIT

# start_sim ADDRESS SEED STATE_DIR: a simulated gateway, saving its state to STATE_DIR when it stops.
start_sim() {
  local address=$1 seed=$2 state=$3 ready="$WORK/ready-$1"
  ./nexo-sim --address "$address" --version 108 --skds 1,2,5 --password "$PASSWORD" --seed "$seed" \
    --time-scale "$SCALE" --save-state "$state" --ready-file "$ready" 2>>"$WORK/sim.log" &
  SIMS+=($!)
  local i
  for i in $(seq 100); do
    [[ -e $ready ]] && return 0
    kill -0 "${SIMS[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  echo "nexo-sim on $address did not start:" >&2
  cat "$WORK/sim.log" >&2
  exit 1
}

# stop_sim INDEX: stops a simulator; it writes its state as it stops.
stop_sim() {
  local pid=${SIMS[$1]}
  kill -TERM "$pid"
  wait "$pid" || true
  SIMS[$1]=""
}

if [[ $MODE == gui ]]; then
  # The desktop program's demo: a simulator to type the address of, and nexo-backup.
  if [[ ! -x ./nexo-backup ]]; then
    echo "run-demo.sh --gui: the desktop program nexo-backup was not built" >&2
    exit 1
  fi
  start_sim 127.0.0.1 1 "$WORK/state"
  echo "== A simulated gateway (version 108, SKDs 1, 2 and 5) listens on 127.0.0.1; its password is $PASSWORD"
  echo "== Type 127.0.0.1 into the address field. The simulator stops when you close the program."
  ./nexo-backup --time-scale "$SCALE"
  exit 0
fi

printf '%s\n' "$PASSWORD" >"$WORK/password"

echo "== Starting a simulated gateway on 127.0.0.1 (version 108, SKDs 1, 2 and 5)"
start_sim 127.0.0.1 1 "$WORK/original"

echo "== Backing up 127.0.0.1 into $WORK/demo.mrk"
./nexo-backup-cli backup 127.0.0.1 "$WORK/demo.mrk" --password-file "$WORK/password" --time-scale "$SCALE"
echo "   the file holds: $(cut -d= -f1 "$WORK/demo.mrk" | tr -d '\r' | tr '\n' ' ')"

echo "== Starting a fresh simulated gateway on 127.0.0.2 (other contents)"
start_sim 127.0.0.2 2 "$WORK/restored"

echo "== Restoring $WORK/demo.mrk into 127.0.0.2"
./nexo-backup-cli restore 127.0.0.2 "$WORK/demo.mrk" --password-file "$WORK/password" --time-scale "$SCALE"

echo "== Stopping both simulators (each saves its state)"
stop_sim 0
stop_sim 1

echo "== Comparing the saved states"
if diff -r "$WORK/original" "$WORK/restored" >/dev/null; then
  echo "   the restored gateway equals the original: $(ls "$WORK/original" | wc -l) items (gateway objects and SKD memories)"
else
  echo "   the restored gateway differs from the original:" >&2
  diff -rq "$WORK/original" "$WORK/restored" >&2 || true
  exit 1
fi
