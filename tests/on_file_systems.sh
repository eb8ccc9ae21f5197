#!/usr/bin/env bash
# Usage: on_file_systems.sh TEST_BINARY [RUNNER]
# Runs TEST_BINARY (through RUNNER, an emulator, where given) with VDX9_MOUNTS naming the file
# systems it is to convert on: btrfs and XFS images, which share blocks, an ext4 image, which
# declines to, all loop-mounted, and a tmpfs. Exits 77 (skipped) where this machine cannot mount
# them, unless VDX9_REQUIRE_MOUNT=1 asks that they be run, as CI does where it runs as root.
set -uo pipefail
binary=$1
runner=${2:-}
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
tmpfs_mount 64M dir || skip "could not mount a tmpfs"
mounts+=("tmpfs=$dir")
VDX9_MOUNTS="${mounts[*]}" $runner "$binary"
