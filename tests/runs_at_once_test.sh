#!/usr/bin/env bash
# Usage: runs_at_once_test.sh EXAMPLE.wav PROGRAM [RUNNER]
# Runs of PROGRAM (through RUNNER, such as Wine's, where given) whose input is a FIFO that this
# script feeds, so that the script, not timing, decides how far a run has come:
#  - a second run on the same recording, started while the first is copying the sample data,
#    refuses at once and truncates nothing, and the first still writes every byte right;
#  - (without a RUNNER) a run killed by SIGINT while it waits for its input has already put the
#    banner into the file its standard output was redirected to.
set -euo pipefail
example=$(realpath "$1")
program=$(realpath "$2")
runner=${3:+$(realpath "$3")}
dir=$(mktemp -d)
pids=()
cleanup() {
  exec 3>&- || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT
cd "$dir"

fail() { echo "FAIL: $*"; exit 1; }
vdx9() { $runner "$program" "$@" 3>&-; }
# Waits until FILE holds at least SIZE bytes; the run being watched blocks until then.
wait_for_size() {
  for _ in $(seq 600); do
    [[ -f $1 && $(stat -c %s "$1") -ge $2 ]] && return 0
    sleep 0.1
  done
  fail "$1 never reached $2 bytes"
}
text() { tr -d '\r' <"$1"; }  # Windows ends lines with CR LF

# The recording: the example with 3 MiB more sample data. The reference is its conversion from a
# plain file.
mkdir reference
{ cat "$example"; head -c $((3 << 20)) /dev/urandom; } >reference/rec.wav
(cd reference && vdx9 rec.wav >/dev/null)

mkfifo rec.wav
exec 3<>rec.wav  # held open for writing, so the runs' opens do not wait and the end comes at close
vdx9 rec.wav >first.log 3>&- &
pids+=($!)
head -c $((2 << 20)) reference/rec.wav >&3
# Sample data is copied in 1 MiB blocks: once one is out, the first run is copying it, and waits
# for the next.
wait_for_size vdx9-rec.wav $((1 << 20))
status=0
# A second run that did not refuse would wait with the first for more of the input.
timeout 60 $runner "$program" rec.wav >second.log 3>&- || status=$?
[[ $status == 1 ]] || fail "the second run ended with $status, not 1"
expected=$'\n Convert rec.wav to VDX9 format (vdx9-rec.wav)\n\nCould not open vdx9-rec.wav'
[[ $(text second.log) == "$expected" ]] || fail "the second run said: $(text second.log)"
[[ $(stat -c %s vdx9-rec.wav) -ge $((1 << 20)) ]] || fail "the second run truncated the output"
tail -c +$(((2 << 20) + 1)) reference/rec.wav >&3
exec 3>&-
wait "${pids[0]}" || fail "the first run ended with $?"
cmp vdx9-rec.wav reference/vdx9-rec.wav || fail "the first run's output is not right"
echo "a second run on the same output refused while the first ran; the first is exact"

[[ -z $runner ]] || exit 0
mkfifo waiting.wav
# With job control on, the run is not made to ignore SIGINT, as background jobs of a script are.
set -m
"$program" waiting.wav >killed.log &
pids+=($!)
set +m
banner=$'\n Convert waiting.wav to VDX9 format (vdx9-waiting.wav)\n\n'
wait_for_size killed.log ${#banner}
kill -INT "${pids[1]}"
wait "${pids[1]}" && fail "the run was not killed"
[[ $(cat killed.log; echo .) == "$banner." ]] || fail "the log holds: $(cat killed.log)"
echo "a run killed while waiting for its input left the banner in its log"
