# Sourced first by the LAN and package tests: their arguments, skipping, checks and waits.

# Sets a variable for each "--NAME VALUE" argument whose NAME is among the test's `names`, and
# to 1 for each "--NAME" among its `flags`; anything else ends the test with status 2.
#   read_arguments "names..." "flags..." "$@"
read_arguments() {
    local names=" $1 " flags=" $2 " name
    shift 2
    while [ $# -gt 0 ]; do
        name=${1#--}
        if [[ $1 == --* && $names == *" $name "* && $# -ge 2 ]]; then
            printf -v "$name" %s "$2"
            shift 2
        elif [[ $1 == --* && $flags == *" $name "* ]]; then
            printf -v "$name" 1
            shift
        else
            echo "unknown argument $1" >&2
            exit 2
        fi
    done
}

# Ends the test as skipped (ctest reads status 77 so), saying why.
skip() {
    echo "SKIPPED: $*"
    exit 77
}

failures=0
check() { # description, then the command that must succeed
    local what=$1
    shift
    if "$@"; then
        echo "PASS: $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
        return 1
    fi
}

wait_for() { # seconds, then the command that must come to succeed within them
    local seconds=$1
    shift
    for _ in $(seq 1 $((seconds * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
