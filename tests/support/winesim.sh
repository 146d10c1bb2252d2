# Sourced by the scripts that run Windows programs under Wine against the
# Linux device simulator: one place that starts a simulator on a pty, links
# that pty into the prefix as a COM port, and takes it all down again, and one
# place that judges a GoogleTest program by what it printed (its exit status
# under Wine proves nothing on its own).
#   winesim_need NAME FILE...          stops the script unless every FILE runs
#   winesim_workdir                    sets $work, a scratch folder that goes
#                                      with the simulators when the script exits
#   winesim_start NAME PORT QVR_SIM WORK PREFIX [qvr-sim options...]
#   winesim_stop                      kills the simulators, removes the links
#   winesim_passed NAME OUTPUT STATUS  true when OUTPUT shows every test passed
#   winesim_path PATH                  PATH as a Windows program names it

winesim_pids=()
winesim_links=()

winesim_need() {
    local name=$1 file
    shift
    for file in "$@"; do
        [ -x "$file" ] || { echo "$name: no $file (build it in the Linux build)"; exit 1; }
    done
}

winesim_workdir() {
    work=$(mktemp -d)
    trap 'winesim_stop; rm -rf "$work"' EXIT
}

winesim_path() {
    echo "Z:${1//\//\\}"
}

winesim_start() {
    local name=$1 port=$2 sim=$3 work=$4 prefix=$5
    shift 5
    "$sim" --ports "$work" --port "$port" "$@" >"$work/sim$port.out" 2>"$work/sim$port.err" &
    winesim_pids+=($!)
    for _ in $(seq 50); do [ -L "$work/com$port" ] && break; sleep 0.1; done
    [ -L "$work/com$port" ] || {
        echo "$name: the simulator for COM$port did not start"
        cat "$work/sim$port.err"
        exit 1
    }
    ln -sfn "$(readlink "$work/com$port")" "$prefix/dosdevices/com$port"
    winesim_links+=("$prefix/dosdevices/com$port")
}

winesim_stop() {
    local pid link
    for pid in "${winesim_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${winesim_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    for link in "${winesim_links[@]}"; do rm -f "$link"; done
    winesim_pids=()
    winesim_links=()
}

winesim_passed() {
    local name=$1 output=$2 status=$3
    if [ "$status" -ne 0 ] || ! grep -q -E '^\[  PASSED  \] [1-9][0-9]* tests?\.' "$output" ||
        grep -q -E '^\[  (FAILED|SKIPPED) \]' "$output"; then
        echo "$name: FAILED (exit status $status)"
        return 1
    fi
}
