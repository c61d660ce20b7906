# Sourced by the shell tests that start the real server from a throw-away
# folder. They set $root (removed at exit), $home (the server home, may stay
# empty until known) and $test_log (their own log, shown on failure), and may
# set $program_pid (a program of theirs to end first).

# The JVM of the server home; found by its exact catalina.base argument.
server_pids() {
    [ -n "$home" ] || return 0
    for p in /proc/[0-9]*; do
        tr '\0' '\n' <"$p/cmdline" 2>/dev/null | grep -Fqx -- "-Dcatalina.base=$home" \
            && echo "${p#/proc/}"
    done
    return 0
}

# Ends the program and a server the test left running, then removes $root.
cleanup() {
    status=$?
    trap - EXIT
    [ -z "${program_pid:-}" ] || kill "$program_pid" 2>/dev/null || true
    pids=$(server_pids)
    if [ -n "$pids" ]; then
        echo "stopping the server left running (pid $pids)" >&2
        # shellcheck disable=SC2086
        kill $pids 2>/dev/null || true
        i=0
        while [ $i -lt 30 ] && [ -n "$(server_pids)" ]; do
            sleep 1
            i=$((i + 1))
        done
        pids=$(server_pids)
        # shellcheck disable=SC2086
        [ -z "$pids" ] || kill -KILL $pids 2>/dev/null || true
    fi
    rm -rf -- "$root"
    exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

fail() {
    printf 'FAIL: %s\n' "$*" >&2
    for log in "$test_log" "$home/logs/catalina.out" "$home"/logs/localhost.*.log; do
        [ -f "$log" ] || continue
        printf '%s\n' "---- $log (last lines)" >&2
        tail -n 60 -- "$log" >&2
    done
    exit 1
}
