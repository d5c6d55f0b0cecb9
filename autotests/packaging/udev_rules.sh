# The package's device rule: udevadm verify where the system has it, else each rule line taken
# apart by hand; and its place before 73-seat-late.rules, which acts on the uaccess tag.
#   udev_rules.sh RULES_FILE
source "$(dirname "$0")/checks.sh"
rules=$1

check "named to run before 73-seat-late.rules" test "$(basename "$rules" | cut -c1-3)" \< "73-"
if udevadm verify --help >/dev/null 2>&1; then
    check "udevadm verify" udevadm verify --no-style "$rules"
else
    echo "udevadm verify not here: each line checked by hand"
    n=0
    while IFS= read -r line; do
        n=$((n + 1))
        case "$line" in '' | '#'*) continue ;; esac
        rest=$line
        ok=true
        # KEY or KEY{name}, an operator, a quoted value; pairs separated by a comma and blanks.
        while [ -n "$rest" ]; do
            if [[ $rest =~ ^[A-Z_]+(\{[A-Za-z0-9_.:-]+\})?(==|!=|\+=|-=|:=|=)\"[^\"]*\"(,[[:space:]]*|[[:space:]]*$)(.*)$ ]]; then
                rest=${BASH_REMATCH[4]}
            else
                ok=false
                break
            fi
        done
        check "line $n is key, operator, quoted value, ..." $ok
        check "line $n matches tty devices only" grep -q 'SUBSYSTEM=="tty"' <<<"$line"
    done <"$rules"
fi
check "tags the adapters for the seat's user" grep -q 'TAG+="uaccess"' "$rules"
check "ttyUSB and ttyACM" test "$(grep -cE 'KERNEL=="tty(USB|ACM)' "$rules")" -eq 2
verdict
