#!/bin/sh
# Runs `make test` as a newcomer would on a bare Debian 12 machine: makes a minimal root
# with debootstrap, clones the committed HEAD of this checkout into it, installs only
# `make`, and runs the README's test command inside, twice. Everything else must come from
# the Makefile's package lists. Then `make package` there, and the package installed as a user
# would on a second bare root, with no build tools: apt must bring what the programs need.
# Needs root; takes three quarters of an hour or more.
#
# Usage: sudo sh scripts/fresh-machine.sh [mirror]
#   mirror  the Debian mirror to make the root from (default http://deb.debian.org/debian)
# FRESH_MACHINE_DIR chooses where the root is made (default /var/tmp); it is removed at the end.
set -eu

mirror=${1:-http://deb.debian.org/debian}
checkout=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
commit=$(git -C "$checkout" rev-parse HEAD)

say() { echo "fresh-machine: $*"; }

if [ "$(id -u)" != 0 ]; then
    say "needs root (debootstrap, mount, chroot); run it with sudo" >&2
    exit 2
fi
if ! command -v debootstrap >/dev/null 2>&1; then
    say "installing debootstrap"
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
fi
if [ -n "$(git -C "$checkout" status --porcelain --untracked-files=no)" ]; then
    say "note: uncommitted changes are not part of the check, only $commit"
fi

root=$(mktemp -d "${FRESH_MACHINE_DIR:-/var/tmp}/vantor-fresh-XXXXXX")
bare=$root.bare  # the user's machine, a copy of the root before anything is installed
log=$root.debootstrap.log
chmod 755 "$root"  # a root folder as on any machine: apt's own user must reach its caches

# A root goes only once nothing is mounted inside it any more: removing files through a
# bind mount would remove the host's own.
unmount_all() {
    for mounted in "$1/dev" "$1/proc"; do
        if mountpoint -q "$mounted"; then umount -R "$mounted" || umount -R -l "$mounted" || true; fi
    done
}
cleanup() {
    for machine in "$root" "$bare"; do
        [ -d "$machine" ] || continue
        unmount_all "$machine"
        if grep -q " $machine/" /proc/self/mounts; then
            say "left $machine in place: something is still mounted in it" >&2
        else
            rm -rf --one-file-system "$machine"
        fi
    done
    rm -f "$log"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

say "making a minimal Debian 12 root in $root from $mirror"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$log" 2>&1 || {
    tail -n 20 "$log" >&2
    exit 1
}
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp -a "$root" "$bare"

say "cloning $commit"
git clone --quiet --no-checkout "$checkout" "$root/root/vantor"
git -C "$root/root/vantor" checkout --quiet "$commit"

# A machine has its processes and devices (Xvfb needs /dev/shm, the tests /dev/null);
# the devices are shared one way only, so that nothing done inside reaches the host.
mount_all() {
    mount -t proc proc "$1/proc"
    mount --rbind /dev "$1/dev"
    mount --make-rslave "$1/dev"
}
mount_all "$root"
in_machine() {
    machine=$1
    shift
    chroot "$machine" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive sh -c "$*"
}

say "installing make"
in_machine "$root" 'apt-get update -qq && apt-get install -y -qq make >/dev/null' || {
    say "could not install make in the root" >&2
    exit 1
}

# The README's command on the bare machine, then once more on the same machine: the first run
# meets nothing built and no Wine prefix, the second what the first left behind. Both must pass.
status=0
results=""
for run in 1 2; do
    say "make test, run $run of 2"
    outcome=passed
    in_machine "$root" 'cd /root/vantor && make test' || {
        status=$?
        outcome="FAILED with status $status"
    }
    say "make test run $run: $outcome"
    results="$results run $run $outcome;"
done
if [ "$status" != 0 ]; then
    say "make test FAILED on a bare Debian 12 root ($commit):$results"
    exit "$status"
fi
say "make test passed twice on a bare Debian 12 root ($commit):$results"

say "making the Debian packages, then installing vantor on a bare root"
in_machine "$root" 'cd /root/vantor && make package' || status=$?
if [ "$status" = 0 ]; then
    cp "$root"/root/vantor/build/package/packages/vantor_*.deb "$bare/root/"
    mount_all "$bare"
    # The programs work from the package alone: no compiler, no CMake, nothing built here.
    in_machine "$bare" 'set -ex
        apt-get update -qq && apt-get install -y -qq ./root/vantor_*.deb >/dev/null
        if command -v cc || command -v c++ || command -v cmake; then exit 1; fi
        fontsheet --version
        fontsheet --list
        fontsheet --font 0 -o /tmp/x.bmp
        test -s /tmp/x.bmp' || status=$?
fi

if [ "$status" = 0 ]; then
    say "make test (twice), make package and the installed package passed on bare Debian 12 roots ($commit)"
else
    say "make package or the installed package FAILED on a bare Debian 12 root with status $status ($commit)"
fi
exit "$status"
