#!/usr/bin/env bash
# Checks the project on a bare Debian 12: makes a minbase bookworm chroot in a scratch folder,
# copies a fresh clone of this repository's checked-out commit into it, runs ./test.sh there,
# builds the release preset and its Debian package, installs the package with apt and runs
# `twk-csv --version` and `man twk-csv`. Needs root and debootstrap; takes a long while.
#
#   tools/bare_debian_check.sh [SCRATCH]    # SCRATCH: an empty folder (default: a new one)
#
# The mirror is deb.debian.org unless TWK_MIRROR names another. Everything mounted into the
# chroot is unmounted at the end, also on failure; the scratch folder is kept for a look.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
scratch=${1:-$(mktemp -d /var/tmp/twk-bare-debian.XXXXXX)}
mirror=${TWK_MIRROR:-http://deb.debian.org/debian}
root="$scratch/root"
mkdir -p "$scratch"
need() {
  echo "bare_debian_check: $*" >&2
  exit 1
}
[[ $(id -u) -eq 0 ]] || need "needs root (for debootstrap, chroot and mount)"
command -v debootstrap >/dev/null || need "needs debootstrap: apt-get install debootstrap"

mounted=()
cleanup() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" || true
  done
  echo "bare_debian_check: unmounted; the chroot stays in $root"
}
trap cleanup EXIT
mount_in() {  # mount_in TARGET MOUNT-ARGUMENTS...
  local target="$root$1"
  shift
  mkdir -p "$target"
  mount "$@" "$target"
  mounted+=("$target")
}

step() { echo "== bare_debian_check: $* ($(date +%T))"; }

step "debootstrap --variant=minbase bookworm into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$scratch/debootstrap.log" 2>&1 ||
  { tail -20 "$scratch/debootstrap.log"; exit 1; }

step "fresh clone of $(git -C "$repo" rev-parse --short HEAD) into /src"
git clone --quiet --no-hardlinks "$repo" "$root/src"
git -C "$root/src" checkout --quiet "$(git -C "$repo" rev-parse HEAD)"
cp /etc/resolv.conf "$root/etc/resolv.conf"

mount_in /proc -t proc proc
mount_in /sys -t sysfs sysfs
mount_in /dev --bind /dev
mount_in /dev/pts --bind /dev/pts
if mountpoint -q /dev/shm; then mount_in /dev/shm --bind /dev/shm; fi

# in_chroot [COMMAND...] SCRIPT: runs SCRIPT with bash in the chroot's /src, through COMMAND.
in_chroot() {
  "${@:1:$#-1}" chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root TERM=dumb LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive \
    /bin/bash -euo pipefail -c "cd /src; ${!#}"
}

step "in the chroot: the packages the bootstrap installs"
in_chroot ./scripts/bootstrap.sh
# The tests start an X server, whose abstract socket lives in the network namespace: without
# one of its own, it could meet an X server of the host on the same display number.
step "in the chroot, without network: ./test.sh, the release build and its package"
in_chroot unshare --net '
  ./test.sh
  cmake --preset release >/dev/null
  cmake --build --preset release
  cd build/release && cpack -G DEB'
# minbase has no man-db, so it is installed before `man` is tried.
step "in the chroot: apt install the package, twk-csv --version, man twk-csv"
in_chroot '
  apt-get install -y -qq --no-install-recommends man-db >/dev/null
  apt-get install -y ./build/release/twk-decoder_*.deb
  dpkg -s twk-decoder | grep -E "^(Status|Version|Depends):"
  cd /
  twk-csv --version
  MANWIDTH=80 man twk-csv'
step "passed"
