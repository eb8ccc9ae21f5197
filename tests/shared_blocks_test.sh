#!/usr/bin/env bash
# Converts recordings on real copy-on-write file systems (btrfs and XFS images, loop-mounted), and
# on ext4, which shares no blocks, with
# the tests in TEST_BINARY. Exits 77 (skipped) where this machine cannot mount them, unless
# VDX9_REQUIRE_MOUNT=1 asks that they be run, as CI does where it runs as root.
set -uo pipefail
binary=$1
runner=${2:-}  # an emulator for a cross-built test binary
. "$(dirname "$0")/support/loop_mount.sh"

skip() {
  echo "cannot test on real file systems here: $*"
  [[ ${VDX9_REQUIRE_MOUNT:-0} == 1 ]] && exit 1
  exit 77
}
why=$(loop_mount_unavailable)
[[ -z $why ]] || skip "$why"

trap loop_unmount_all EXIT
mounts=()
for fs in btrfs xfs ext4; do
  loop_mount "$fs" 512M dir || skip "could not make and mount a $fs image"
  mounts+=("$fs=$dir")
done
VDX9_MOUNTS="${mounts[*]}" $runner "$binary"
