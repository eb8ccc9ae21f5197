# Loop-mounted file system images for the tests and the benchmark; sourced, not run.
#   loop_mount FS SIZE VAR   makes a sparse image of SIZE, formats it as FS (btrfs, xfs, ext4),
#                            mounts it on a new directory and sets VAR to that directory
#   tmpfs_mount SIZE VAR     mounts a tmpfs of SIZE on a new directory and sets VAR to it
#   loop_unmount_all         unmounts and removes every mount and image made so far; call it
#                            from an EXIT trap, so that nothing stays mounted when the caller
#                            fails
# Mounting with -o loop lets the kernel detach the loop device itself once it is unmounted.

loop_mounts=()
loop_images=()

# Says why this machine cannot loop-mount, or nothing where it can.
loop_mount_unavailable() {
  if [[ $(id -u) != 0 ]]; then
    echo "not root"
  elif [[ ! -e /dev/loop-control ]]; then
    echo "no /dev/loop-control"
  fi
}

loop_mount() {
  # Names of its own, so that the caller's variable is never one of them.
  local lm_fs=$1 lm_size=$2 lm_image lm_dir
  command -v "mkfs.$lm_fs" >/dev/null || { echo "mkfs.$lm_fs is not installed" >&2; return 1; }
  lm_image=$(mktemp "${TMPDIR:-/tmp}/vdx9-$lm_fs-XXXXXX.img") || return 1
  loop_images+=("$lm_image")
  truncate -s "$lm_size" "$lm_image" && "mkfs.$lm_fs" -q "$lm_image" >/dev/null || return 1
  lm_dir=$(mktemp -d "${TMPDIR:-/tmp}/vdx9-$lm_fs-XXXXXX") || return 1
  loop_mounts+=("$lm_dir")
  mount -o loop "$lm_image" "$lm_dir" || return 1
  printf -v "$3" %s "$lm_dir"
}

tmpfs_mount() {
  local lm_dir
  lm_dir=$(mktemp -d "${TMPDIR:-/tmp}/vdx9-tmpfs-XXXXXX") || return 1
  loop_mounts+=("$lm_dir")
  mount -t tmpfs -o "size=$1" vdx9-test "$lm_dir" || return 1
  printf -v "$2" %s "$lm_dir"
}

loop_unmount_all() {
  local dir
  for dir in "${loop_mounts[@]}"; do
    if mountpoint -q "$dir"; then
      # Lazily where it is still in use (a shell inside it): it goes once that ends.
      umount "$dir" 2>/dev/null || umount -l "$dir"
    fi
    rmdir "$dir"
  done
  rm -f "${loop_images[@]}"
  loop_mounts=()
  loop_images=()
}
