#!/usr/bin/env bash
# Lintian, Debian's package checker, on the package: an error or a warning fails the test. A
# warning accepted for a reason would get an override in the package, with the reason, so that
# a new warning still fails. The notes below a warning (I:, P:) are shown, not counted.
#   package_lintian.sh <folder with the .deb>
set -uo pipefail
source "$(dirname "$0")/checks.sh"
deb=$(the_deb "$1")

lintian --fail-on error,warning --display-info --pedantic "$deb"
check "lintian finds no error and no warning" test $? -eq 0
verdict
