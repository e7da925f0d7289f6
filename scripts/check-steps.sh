# shellcheck shell=bash
# The steps of the acceptance scripts (check-package.sh, check-package-debian13.sh): each prints
# « ok » or « ÉCHEC », and `failures` counts the latter.
failures=0
ok() { echo "ok     - $*"; }
fail() {
    echo "ÉCHEC  - $*"
    failures=$((failures + 1))
}
check() { # check "what" command...
    local what="$1"
    shift
    if "$@"; then ok "$what"; else fail "$what"; fi
}
