# shellcheck shell=bash
# Clean roots of a Debian release, for the scripts that try Kelvora on the release this machine
# does not run (sourced by test-other-release.sh and check-package-debian13.sh).
#   make_root SUITE FOLDER       a clean root from Debian's archive (mmdebstrap, variant apt)
#   in_root FOLDER COMMAND       runs the bash COMMAND as root inside it
# KELVORA_DEBIAN_MIRROR: the archive (http://deb.debian.org/debian).

make_root() {
    local suite="$1" folder="$2" mirror="${KELVORA_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
    if ! command -v mmdebstrap >/dev/null; then
        echo "installation de mmdebstrap"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap \
            >/dev/null
    fi
    # Nothing can be mounted there from this shell's namespace (in_root mounts in its own);
    # refuse rather than delete through a mount that another process left.
    if findmnt -rn -o TARGET | grep -q "^$folder\(/\|$\)"; then
        echo "$folder porte encore des montages, rien n'est effacé" >&2
        return 1
    fi
    rm -rf "$folder"
    mkdir -p "$(dirname "$folder")"
    # In namespaces of its own too: mmdebstrap mounts inside the root while it works, and an
    # interrupted run would otherwise leave those mounts and its apt behind.
    unshare --pid --fork --kill-child --mount --propagation private -- \
        mmdebstrap --quiet --variant=apt --include=ca-certificates "$suite" "$folder" \
        "deb $mirror $suite main" "deb $mirror $suite-updates main"
}

# A mount and a process namespace of its own: when the command ends, however it ends, every
# process started in the root is killed and every mount below is gone with them. The root is
# bind-mounted onto itself so that `unshare --propagation private` works inside it (it needs the
# root to be a mount point), as the smart-card tests use it.
in_root() {
    local folder="$1" command="$2"
    cp /etc/resolv.conf "$folder/etc/resolv.conf"
    # The inner shell expands its own arguments.
    # shellcheck disable=SC2016
    unshare --pid --fork --kill-child --mount --propagation private -- bash -euo pipefail -c '
        root="$1"
        mount --bind "$root" "$root"
        mount -t proc proc "$root/proc"
        mount -t sysfs sysfs "$root/sys"
        mount --bind /dev/pts "$root/dev/pts"
        mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
        mount -t tmpfs -o mode=0755 tmpfs "$root/run"
        mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
        exec chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            DEBIAN_FRONTEND=noninteractive bash -euo pipefail -c "$2"
    ' in-root "$folder" "$command"
}
