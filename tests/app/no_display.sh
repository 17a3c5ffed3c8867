#!/bin/bash
# morvi without a display: no DISPLAY at all, and a DISPLAY no server answers.
# Each must end with status 1 and one line that says how to run it.
morvi=${1:?usage: no_display.sh path/to/morvi}
failures=0
check() {
    local what=$1; shift
    local output status
    output=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" "$morvi" picture.jpg 2>&1)
    status=$?
    if [ "$status" -eq 1 ] && [ "$(printf '%s\n' "$output" | wc -l)" -eq 1 ] &&
       [[ $output == morvi:*xvfb-run* ]]; then
        echo "ok   $what: $output"
    else
        echo "FAIL $what: status $status, output: $output"
        failures=$((failures + 1))
    fi
}
check "no DISPLAY" env -u DISPLAY
check "silent DISPLAY" env DISPLAY=:4999
exit "$failures"
