# Sourced by the scripts that build or try vdx9 on other Debian releases (needs root and
# debootstrap). Nothing here touches this machine's own package database.
#
#   debian_root SUITE[:ARCH] DIR [PACKAGE...]
#                                        makes DIR a minimal root of SUITE (bullseye, bookworm,
#                                        trixie, sid), of this machine's architecture or ARCH,
#                                        with PACKAGEs (name:arch adds that architecture)
#   in_root DIR COMMAND...               runs COMMAND in DIR with /proc, /dev and /dev/pts
#                                        mounted, and unmounts them on every way out
#   remove_root DIR                      removes DIR, once nothing is mounted in it
#   register_arm / unregister_arm        let ARM programs (and so arm64 and armhf roots) run
#                                        through qemu-user-static, by the kernel's binfmt_misc
#
# A root made once is kept as a tarball under the cache folder ($VDX9_CACHE, else
# $XDG_CACHE_HOME/vdx9, else ~/.cache/vdx9), where that folder's parent exists, and unpacked from
# there the next time: a later run needs no network and takes seconds. A root is made from the
# release's packages of the day it is made; remove the tarball to have newer ones.

# The mirror this machine's apt uses.
debian_mirror() {
  local uri
  uri=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null |
    grep -v security | head -1)
  [[ -n $uri ]] || uri=$(awk '$1 == "deb" && $2 !~ /security/ { print $2; exit }' \
    /etc/apt/sources.list 2>/dev/null)
  echo "${uri:-http://deb.debian.org/debian}"
}

debian_cache() {
  local cache=${VDX9_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vdx9}
  [[ -d $(dirname "$cache") ]] && mkdir -p "$cache" && echo "$cache"
}

debian_root() {
  local suite=${1%%:*} arch=${1#*:} dir=$2 cache key tarball pkg
  [[ $arch != "$1" ]] || arch=$(dpkg --print-architecture)
  shift 2
  cache=$(debian_cache || true)
  key=$(printf '%s\n' "$suite" "$arch" "$@" | sort | sha256sum | cut -c1-12)
  tarball=$cache/$suite-$arch-$key.tar
  # Readable by all, as a root directory is: apt downloads as its own user.
  mkdir -p "$dir" && chmod 755 "$dir"
  if [[ -n $cache && -f $tarball ]]; then
    tar -xf "$tarball" -C "$dir" --numeric-owner
    return
  fi
  echo "making a $suite $arch root in $dir" >&2
  debootstrap --variant=minbase --arch="$arch" "$suite" "$dir" "$(debian_mirror)" >"$dir.log" 2>&1 ||
    { tail -20 "$dir.log"; return 1; }
  rm -f "$dir.log"
  for pkg; do
    [[ $pkg == *:* ]] && chroot "$dir" dpkg --add-architecture "${pkg#*:}"
  done
  if (($#)); then
    # The mirror may be a snapshot, whose Release files of sid and testing are past their
    # Valid-Until date.
    in_root "$dir" sh -c 'log=$({ apt-get -o Acquire::Check-Valid-Until=false update &&
      DEBIAN_FRONTEND=noninteractive \
      apt-get install -y --no-install-recommends "$@" && apt-get clean; } 2>&1) ||
      { echo "$log"; exit 1; }' sh "$@"
  fi
  if [[ -n $cache ]]; then
    tar -cf "$tarball.part" -C "$dir" --numeric-owner . && mv "$tarball.part" "$tarball"
  fi
}

in_root() {
  local dir=$1
  shift
  (
    # A process left running in the root (a server the command started) keeps them busy.
    trap 'umount "$dir/dev/pts" "$dir/dev" "$dir/proc" 2>/dev/null ||
      { grep -qF " $(realpath "$dir")/" /proc/mounts && echo "in_root: $dir is still mounted" >&2; }' EXIT
    mount -t proc proc "$dir/proc"
    mount --bind /dev "$dir/dev"
    # The tests' pseudo-terminals.
    mount --bind /dev/pts "$dir/dev/pts"
    chroot "$dir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
      ${SOURCE_DATE_EPOCH:+SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH} "$@"
  )
}

# Removes a root made by debian_root; never while anything is mounted in it (a bound /dev would
# be emptied with it), and never across into another file system.
remove_root() {
  local dir=$1
  if grep -qF " $(realpath "$dir")/" /proc/mounts; then
    echo "not removing $dir: something is still mounted in it" >&2
    return 1
  fi
  rm -rf --one-file-system "$dir"
}

# The kernel runs ARM programs through qemu-user-static while these are registered (with F, so
# that they run inside a root too). Fails, registering nothing, where the machine does not let
# binfmt_misc be mounted or written.
binfmt=/proc/sys/fs/binfmt_misc
binfmt_mounted_here=
register_arm() {
  [[ -x /usr/bin/qemu-aarch64-static && -x /usr/bin/qemu-arm-static ]] || return 1
  if [[ ! -e $binfmt/register ]]; then
    mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || return 1
    binfmt_mounted_here=1
  fi
  # ELF headers of 64-bit (machine b7) and 32-bit (machine 28) ARM programs, which binfmt_misc
  # reads with its own escapes.
  local head='\x7fELF\x0%s\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x%s\x00'
  local mask='\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  local aarch64 arm
  aarch64=":vdx9-aarch64:M::${head/\%s/2}:$mask:/usr/bin/qemu-aarch64-static:F"
  aarch64=${aarch64/\%s/b7}
  arm=":vdx9-arm:M::${head/\%s/1}:$mask:/usr/bin/qemu-arm-static:F"
  arm=${arm/\%s/28}
  { printf '%s' "$aarch64" >"$binfmt/register" && printf '%s' "$arm" >"$binfmt/register"; } \
    2>/dev/null || { unregister_arm; return 1; }
}
unregister_arm() {
  local name
  for name in vdx9-aarch64 vdx9-arm; do
    [[ ! -e $binfmt/$name ]] || echo -1 >"$binfmt/$name"
  done
  [[ -z $binfmt_mounted_here ]] || umount "$binfmt"
  binfmt_mounted_here=
}
