#!/usr/bin/env bash
# Runs N whole jobs (backup and restore, drawn at random) back to back with nexo-backup-cli
# against nexo-sim, each with a fault drawn at random from the simulator's options, and prints
# what happened: exit statuses by fault and expected outcome, hangs, crashes, resident memory.
#   scripts/soak.sh [N] [SEED]     N jobs (default 20); SEED repeats an earlier run's draws
# It exits non-zero when a job's exit status is not among those expected of its fault, a job
# hung (ran past its time limit), a program died of a signal, or a sanitizer reported something.
# Environment: BUILD_DIR (default build-asan, built like scripts/test.sh does), SOAK_SCALE
# (--time-scale, default 0.01), SOAK_JOB_TIMEOUT (seconds per job, default 60).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${1:-20}
seed=${2:-$(( $(date +%s) % 100000 ))}
[[ $jobs =~ ^[0-9]+$ && $seed =~ ^[0-9]+$ ]] || { echo "usage: $0 [N] [SEED]" >&2; exit 2; }
scale=${SOAK_SCALE:-0.01}
limit=${SOAK_JOB_TIMEOUT:-60}

source scripts/deps.sh
NEXO_PACKAGES+=(time)
nexo_install_deps

BUILD=${BUILD_DIR:-build-asan}
if [[ ! -f $BUILD/CMakeCache.txt ]]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNEXO_SANITIZE=ON -DNEXO_BUILD_GUI=ON "${launcher[@]}" >/dev/null
fi
cmake --build "$BUILD" -j "$(nproc)" --target nexo-backup-cli nexo-sim >/dev/null
BIN=$(cd "$BUILD" && pwd)

# Reports go to the log files as well as into the exit status. A small quarantine of freed
# blocks, so that the simulator's resident memory shows growth rather than that store filling.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:quarantine_size_mb=4}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1}
REPORT='ERROR: (Address|Leak)Sanitizer|runtime error:|WARNING: ThreadSanitizer|SUMMARY: .*Sanitizer'

WORK=$(mktemp -d /tmp/nexo-soak.XXXXXX)
PASSWORD="soak-pw"
SKDS=1,2,5
# 127.251.x.y: clear of the addresses ctest (127.10 and up) and the benchmarks (127.250) use.
NET=251
declare -A LIVE  # the simulators this script started and has not stopped yet
cleanup() {
  local pid
  for pid in "${!LIVE[@]}"; do
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$WORK"
}
trap cleanup EXIT

# start_sim ADDRESS LOG ARGS...: a simulator, its pid in SIM_PID once both ports listen.
start_sim() {
  local address=$1 log=$2
  shift 2
  local ready="$WORK/ready-$address"
  "$BIN/nexo-sim" --address "$address" --password "$PASSWORD" --skds "$SKDS" --time-scale "$scale" \
    --ready-file "$ready" "$@" >"$log" 2>&1 &
  SIM_PID=$!
  LIVE[$SIM_PID]=1
  local i
  for i in $(seq 200); do
    [[ -e $ready ]] && return 0
    kill -0 "$SIM_PID" 2>/dev/null || break
    sleep 0.05
  done
  echo "soak: nexo-sim on $address did not start:" >&2
  cat "$log" >&2
  exit 1
}

# rss_kb PID: the process's peak resident memory so far.
rss_kb() { sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$1/status" 2>/dev/null || echo 0; }

# stop_sim PID: stops it; its exit status in SIM_STATUS, SIM_HUNG=1 when it had to be killed.
stop_sim() {
  kill -TERM "$1" 2>/dev/null || true
  SIM_STATUS=0
  SIM_HUNG=0
  timeout 10 tail --pid="$1" -f /dev/null || { SIM_HUNG=1; kill -KILL "$1" 2>/dev/null || true; }
  wait "$1" || SIM_STATUS=$?
  unset "LIVE[$1]"
}

# draw_fault MODE: a fault in FAULT_NAME/FAULT_ARGS and the outcome expected of it in EXPECT
# (0 success, 1 failure, "0/1" either: retries may absorb it).
draw_fault() {
  local mode=$1 obj=$((RANDOM % 4)) skd
  local skds=(1 2 5) codes
  skd=${skds[RANDOM % 3]}
  if [[ $mode == backup ]]; then codes=(0x02 0x03 0x06 0x5E); else codes=(0x02 0x04 0x06 0x5A 0x60 0x71); fi
  local code=${codes[RANDOM % ${#codes[@]}]} k=$((RANDOM % 3 + 1))
  local req=0
  [[ $mode == restore ]] && req=1
  FAULT_ARGS=()
  case $((RANDOM % 14)) in
    0|1) FAULT_NAME=none; EXPECT=0 ;;
    2) local kind="$obj:$((RANDOM % 2 + 1))"
       [[ $mode == restore ]] && kind+=:restore
       FAULT_NAME=error-reply; FAULT_ARGS=(--error-reply "$kind"); EXPECT=1 ;;
    3) local types=(7 9 "$req")
       FAULT_NAME=silent-request; FAULT_ARGS=(--silent-request "${types[RANDOM % 3]}"); EXPECT=1 ;;
    4) local types=(7 9 "$req")
       FAULT_NAME=close-mid-frame; FAULT_ARGS=(--close-mid-frame "${types[RANDOM % 3]}"); EXPECT=1 ;;
    # Its pauses are not scaled: on the bus (484 replies an SKD) that would take minutes, so it
    # runs against a gateway without the SKD part.
    5) FAULT_NAME=byte-by-byte; FAULT_ARGS=(--byte-by-byte --version 107); EXPECT=0 ;;
    # A backup takes an SKD that never answers for one that is not there.
    6) FAULT_NAME=silent-skd; FAULT_ARGS=(--silent-skd "$skd"); EXPECT=$([[ $mode == restore ]] && echo 1 || echo 0) ;;
    7) FAULT_NAME=drop-reply; FAULT_ARGS=(--drop-reply "$code:$k"); EXPECT=0/1 ;;
    8) FAULT_NAME=bad-checksum; FAULT_ARGS=(--bad-checksum "$code:$k"); EXPECT=0/1 ;;
    9) FAULT_NAME=empty-read; FAULT_ARGS=(--empty-read "$((RANDOM % 400 + 1))"); EXPECT=0/1 ;;
    10) FAULT_NAME=split-replies; FAULT_ARGS=(--split-replies); EXPECT=0 ;;
    11) FAULT_NAME=refuse-bus; FAULT_ARGS=(--refuse-bus); EXPECT=1 ;;
    12) FAULT_NAME=ignore-writes; FAULT_ARGS=(--ignore-writes "$skd"); EXPECT=$([[ $mode == restore ]] && echo 1 || echo 0) ;;
    13) FAULT_NAME=close-reply-type; FAULT_ARGS=(--close-reply-type 2); EXPECT=0/1 ;;
  esac
}

echo "soak: $jobs jobs, seed $seed, time scale $scale, $limit s per job, programs from $BUILD/"
RANDOM=$seed
cd "$BIN"  # the programs find lng/ below the working directory

# The steady gateway serves every job without a fault, so its memory shows growth over the run.
steady="127.$NET.0.1"
start_sim "$steady" "$WORK/steady-sim.log" --seed 1
STEADY_PID=$SIM_PID
# The file every restore starts from, made by a clean backup.
master="$WORK/master.mrk"
printf '%s\n' "$PASSWORD" >"$WORK/password"
if ! timeout -k 5 "$limit" ./nexo-backup-cli backup "$steady" "$master" --password-file "$WORK/password" \
    --time-scale "$scale" >"$WORK/master.log" 2>&1; then
  echo "soak: the first backup, which every restore needs, failed:" >&2
  cat "$WORK/master.log" >&2
  exit 1
fi
steady_rss_start=$(rss_kb "$STEADY_PID")
steady_now_start=$(sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$STEADY_PID/status")
# And one for the restores to a gateway without the SKD part.
master107="$WORK/master107.mrk"
start_sim "127.$NET.0.2" "$WORK/sim107.log" --seed 1 --version 107
timeout -k 5 "$limit" ./nexo-backup-cli backup "127.$NET.0.2" "$master107" --password-file "$WORK/password" \
  --time-scale "$scale" >>"$WORK/master.log" 2>&1 || { echo "soak: the version 107 backup failed" >&2; exit 1; }
stop_sim "$SIM_PID"

declare -A tally expected_of
hangs=() crashes=() reports=() unexpected=()
client_rss=() sim_rss=()
start_time=$SECONDS
for ((i = 1; i <= jobs; i++)); do
  # Every draw from RANDOM in this shell (a subshell's would not repeat with the seed).
  mode=backup
  ((RANDOM % 2)) && mode=restore
  draw_fault "$mode"
  dir="$WORK/job$i"
  mkdir -p "$dir"
  file="$dir/backup.mrk"
  if [[ $mode == restore ]]; then
    if [[ " ${FAULT_ARGS[*]} " == *" --version 107 "* ]]; then cp "$master107" "$file"; else cp "$master" "$file"; fi
  fi
  sim_seed=1
  if [[ $FAULT_NAME == none ]]; then
    address=$steady
    pid=$STEADY_PID
  else
    address="127.$NET.$((1 + i / 250)).$((i % 250 + 1))"
    sim_seed=$((RANDOM % 1000 + 2))
    start_sim "$address" "$dir/sim.log" --seed "$sim_seed" "${FAULT_ARGS[@]}"
    pid=$SIM_PID
  fi

  t0=$(date +%s%N)
  status=0
  timeout -k 5 "$limit" /usr/bin/time -f %M -o "$dir/rss" ./nexo-backup-cli "$mode" "$address" "$file" \
    --password-file "$WORK/password" --time-scale "$scale" >"$dir/out.log" 2>"$dir/err.log" || status=$?
  ms=$(( ($(date +%s%N) - t0) / 1000000 ))
  rss=$(grep -Eo '^[0-9]+$' "$dir/rss" 2>/dev/null | tail -1 || true)
  client_rss+=("${rss:-0}")

  what="client exit $status"
  trouble=$(( ${#hangs[@]} + ${#crashes[@]} + ${#reports[@]} + ${#unexpected[@]} ))
  if ((status == 124 || status == 137)); then
    hangs+=("job $i ($mode, ${FAULT_NAME} ${FAULT_ARGS[*]})")
    what="HUNG (killed after $limit s)"
  elif ((status > 128)); then
    crashes+=("job $i ($mode, ${FAULT_NAME} ${FAULT_ARGS[*]}): client died of signal $((status - 128))")
    what="CRASHED (signal $((status - 128)))"
  elif [[ /$EXPECT/ != */$status/* ]]; then
    unexpected+=("job $i ($mode, ${FAULT_NAME} ${FAULT_ARGS[*]}): client exit $status, expected $EXPECT (run seed $seed, simulator seed $sim_seed)")
    what+=" UNEXPECTED"
  fi
  if grep -Eq "$REPORT" "$dir/err.log"; then
    reports+=("job $i ($mode, ${FAULT_NAME} ${FAULT_ARGS[*]}): client: $(grep -Em1 "$REPORT" "$dir/err.log")")
    what+=", SANITIZER REPORT"
  fi
  if [[ $FAULT_NAME != none ]]; then
    sim_rss+=("$(rss_kb "$pid")")
    stop_sim "$pid"
    if ((SIM_HUNG)); then
      hangs+=("job $i ($mode, ${FAULT_NAME} ${FAULT_ARGS[*]}): nexo-sim did not stop within 10 s")
      what+=", SIM HUNG"
    elif ((SIM_STATUS != 0)); then
      crashes+=("job $i ($mode, ${FAULT_NAME} ${FAULT_ARGS[*]}): nexo-sim exit $SIM_STATUS")
      what+=", SIM EXIT $SIM_STATUS"
    fi
    if grep -Eq "$REPORT" "$dir/sim.log"; then
      reports+=("job $i ($mode, ${FAULT_NAME} ${FAULT_ARGS[*]}): nexo-sim: $(grep -Em1 "$REPORT" "$dir/sim.log")")
      what+=", SIM SANITIZER REPORT"
    fi
  fi
  key="$FAULT_NAME $mode"
  expected_of[$key]=$EXPECT
  tally[$key|$status]=$(( ${tally[$key|$status]:-0} + 1 ))
  printf 'job %3d  %-7s %-16s %-20s %-22s %3d.%d s  client %d MB\n' "$i" "$mode" "$FAULT_NAME" "${FAULT_ARGS[*]}" \
    "$what" $((ms / 1000)) $((ms % 1000 / 100)) "$(( ${rss:-0} / 1024 ))"
  # Keep what a job in trouble left for a look; drop the rest.
  ((${#hangs[@]} + ${#crashes[@]} + ${#reports[@]} + ${#unexpected[@]} > trouble)) || rm -rf "$dir"
done
steady_rss_end=$(rss_kb "$STEADY_PID")
steady_now=$(sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$STEADY_PID/status")
stop_sim "$STEADY_PID"
if ((SIM_HUNG)); then hangs+=("the steady nexo-sim did not stop within 10 s")
elif ((SIM_STATUS != 0)); then crashes+=("the steady nexo-sim: exit $SIM_STATUS"); fi
if grep -Eq "$REPORT" "$WORK/steady-sim.log"; then reports+=("the steady nexo-sim: $(grep -Em1 "$REPORT" "$WORK/steady-sim.log")"); fi

# max_of FROM COUNT values...: the largest of COUNT values from index FROM.
max_of() {
  local from=$1 count=$2 max=0 v
  shift 2
  local values=("$@")
  for v in "${values[@]:from:count}"; do ((v > max)) && max=$v; done
  echo "$max"
}

echo
echo "soak: $jobs jobs in $((SECONDS - start_time)) s, seed $seed"
echo "exit statuses by fault and mode (expected: 0 success, 1 failure, 0/1 either):"
for key in $(printf '%s\n' "${!expected_of[@]}" | tr ' ' '~' | sort); do
  key=${key//\~/ }
  line=""
  for s in $(printf '%s\n' "${!tally[@]}" | grep -F "$key|" | sed 's/.*|//' | sort -n); do
    line+=" exit $s: ${tally[$key|$s]},"
  done
  printf '  %-24s expected %-4s %s\n' "$key" "${expected_of[$key]}" "${line%,}"
done
n=${#client_rss[@]}
tenth=$(( n / 10 > 0 ? n / 10 : 1 ))
echo "largest resident memory: client $(( $(max_of 0 "$n" "${client_rss[@]}") / 1024 )) MB" \
  "(first $tenth jobs $(( $(max_of 0 "$tenth" "${client_rss[@]}") / 1024 )) MB," \
  "last $tenth $(( $(max_of $((n - tenth)) "$tenth" "${client_rss[@]}") / 1024 )) MB);" \
  "fault simulators $(( $(max_of 0 "${#sim_rss[@]}" "${sim_rss[@]}") / 1024 )) MB"
echo "steady simulator (jobs without a fault): resident $((steady_now_start / 1024)) MB (peak" \
  "$((steady_rss_start / 1024)) MB) after the first backup, $((steady_now / 1024)) MB (peak" \
  "$((steady_rss_end / 1024)) MB) at the end"
echo "unexpected exit statuses: ${#unexpected[@]}, hangs: ${#hangs[@]}, crashes: ${#crashes[@]}," \
  "sanitizer reports: ${#reports[@]}"
for x in "${unexpected[@]}" "${hangs[@]}" "${crashes[@]}" "${reports[@]}"; do echo "  $x"; done
if ((${#unexpected[@]} + ${#hangs[@]} + ${#crashes[@]} + ${#reports[@]})); then
  keep=$(mktemp -d /tmp/nexo-soak-failed.XXXXXX)
  cp -r "$WORK"/. "$keep"/
  echo "soak: FAILED; the logs are in $keep"
  exit 1
fi
