#!/usr/bin/env bash
# Usage: full_disk_test.sh EXAMPLE.wav PROGRAM [RUNNER]
# A disk that really fills up in the middle of the sample data: a recording converted on a
# small tmpfs by PROGRAM (through RUNNER, such as Wine's, where given) must end with the write
# failure message and status 1, leaving an output that is a prefix of the right bytes. Exits 77
# (skipped) where this machine cannot mount a tmpfs, unless VDX9_REQUIRE_MOUNT=1.
set -uo pipefail
example=$(realpath "$1")
program=$(realpath "$2")
runner=${3:+$(realpath "$3")}

skip() {
  echo "cannot fill a disk here: $*"
  [[ ${VDX9_REQUIRE_MOUNT:-0} == 1 ]] && exit 1
  exit 77
}
fail() { echo "FAIL: $*"; exit 1; }
[[ $(id -u) == 0 ]] || skip "not root"

dir=$(mktemp -d)
disk=$dir/disk
cleanup() {
  mountpoint -q "$disk" && umount "$disk"
  rm -rf "$dir"
}
trap cleanup EXIT
mkdir "$disk"
mount -t tmpfs -o size=4m vdx9-full-disk "$disk" || skip "could not mount a tmpfs"

# 3 MiB of sample data after the example: the output meets the end of the disk after about 1 MiB.
{ cat "$example"; head -c $((3 << 20)) /dev/urandom; } >"$dir/rec.wav"
cp "$dir/rec.wav" "$disk/rec.wav"
(cd "$dir" && $runner "$program" rec.wav >/dev/null) || fail "the reference run failed"

status=0
said=$(cd "$disk" && $runner "$program" rec.wav) || status=$?
[[ $status == 1 ]] || fail "status $status, not 1"
expected=$'\n Convert rec.wav to VDX9 format (vdx9-rec.wav)\n\n\nERROR: Failed to write output file.'
[[ $(tr -d '\r' <<<"$said") == "$expected" ]] || fail "it said: $said"
size=$(stat -c %s "$disk/vdx9-rec.wav")
((size > 0 && size < $(stat -c %s "$dir/vdx9-rec.wav"))) || fail "the output has $size bytes"
cmp -n "$size" "$disk/vdx9-rec.wav" "$dir/vdx9-rec.wav" || fail "the output is not a prefix"
echo "the disk filled after $size bytes: write failure, status 1, the bytes before it right"
