# Shared by the package tests: a check that says what it expected, and the verdict at the end.
#   check "what" command...   runs the command; a failure is counted and said, the test goes on
#   verdict                   exit 0 when every check passed, 1 otherwise
failures=0

check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what" >&2
        failures=$((failures + 1))
    fi
}

verdict() {
    if [ "$failures" -eq 0 ]; then
        echo "all checks passed"
        exit 0
    fi
    echo "$failures check(s) failed" >&2
    exit 1
}

# The one .deb in a folder: the package build leaves exactly one there.
the_deb() {
    local debs=("$1"/*.deb)
    if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
        echo "expected one .deb in $1, found: ${debs[*]}" >&2
        exit 1
    fi
    echo "${debs[0]}"
}
