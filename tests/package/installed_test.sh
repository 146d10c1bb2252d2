#!/usr/bin/env bash
# The packages as a technician gets them, unpacked into a throwaway root
# (dpkg -x; nothing is installed on this machine): their layout, fields and
# links, a manual page that man finds for every program, notices that name
# what was linked in, then the installed program started by an ordinary user
# under Xvfb
# against the installed simulator and driven by keys from outside: a damaged
# per-user template copy is replaced with a warning box, Enter in the port
# field connects, one data-log download of 5 records lands in the documents
# folder and is read back with mdbtools; then the installed logqvr-cli reads
# the settings the window stored and downloads 3 records. The systemd units
# of the nightly collection pass systemd-analyze and are not enabled.
#   installed_test.sh PACKAGES_DIR VERSION LINKMAPS_DIR
# Exit 77 (skipped) when a tool is missing or no ordinary user can be had.
set -euo pipefail

fail() {
    echo "FAIL: $*"
    exit 1
}
skip() {
    echo "SKIP: $*"
    exit 77
}

# Runs as the ordinary user, inside xvfb-run. Everything it makes stays under $1.
drive() {
    local work=$1 tree=$1/tree
    export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config
    export KESTRUNE_PORTS=$work/home/ports
    unset QT_QPA_PLATFORM
    sim="" app=""
    "$tree/usr/bin/qvr-sim" --ports "$KESTRUNE_PORTS" --port 1 --pointer 5 >"$HOME/sim.log" 2>&1 &
    sim=$!
    trap 'kill $sim $app 2>/dev/null || true' EXIT
    wait_for 5 test -e "$KESTRUNE_PORTS/com1" || fail "the simulator did not start"

    "$tree/usr/bin/LOG_QVR" >"$HOME/program.log" 2>&1 &
    app=$!
    # The box comes up over the window at start, before anything else.
    press_return_in "^LOG QVR\$" || fail "no warning about the damaged template copy"
    local window
    window=$(xdotool search --onlyvisible --name "^Log - QVR" | head -n1)
    [ -n "$window" ] || fail "the main window did not open"
    xdotool windowfocus --sync "$window"
    # Focus starts in Timeout(ms); Tentativas, Baud Rate, then Porta COM, where
    # Enter connects.
    xdotool key Tab Tab Tab Return
    wait_for 10 grep -qs "^COM=1" "$XDG_CONFIG_HOME/Quorvane/LOG_QVR.conf" ||
        fail "no connection: the settings were never stored"
    # Connected, the locked port fields hand the focus to Desconectar. From
    # there: Ler Memória Inteira, the field N, the fields from and to (the
    # options Ler take no tab stop of their own), then Gerar Arquivo de LOG.
    sleep 1
    xdotool key Tab Tab Tab Tab Tab space
    wait_for 20 compgen -G "$HOME/Documents/LOG_QVR_END1_*.mdb" >/dev/null ||
        fail "no output file in the documents folder"
    press_return_in "^LOG QVR\$" || fail "no success box after the download"
    kill "$app"
    wait "$app" 2>/dev/null || true
    # The command, installed, from the settings the window just stored; on a
    # simulator of its own, since the killed window never let its port go.
    kill "$sim"
    wait "$sim" 2>/dev/null || true
    "$tree/usr/bin/qvr-sim" --ports "$KESTRUNE_PORTS" --port 1 --pointer 5 >"$HOME/sim2.log" 2>&1 &
    sim=$!
    wait_for 5 test -e "$KESTRUNE_PORTS/com1" || fail "the second simulator did not start"
    mkdir "$HOME/cli"
    "$tree/usr/bin/logqvr-cli" --dados ultimos:3 --caminho "$HOME/cli" --silencioso ||
        fail "the installed logqvr-cli failed with the window's settings"
}

# wait_for SECONDS COMMAND...: polls the command every 0.2 s.
wait_for() {
    local tries=$(($1 * 5))
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}

press_return_in() {
    local box=""
    for _ in $(seq 50); do
        box=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1) && [ -n "$box" ] && break
        sleep 0.2
    done
    [ -n "$box" ] || return 1
    xdotool windowfocus --sync "$box"
    xdotool key Return
}

if [ "${1:-}" = "--drive" ]; then
    drive "$2"
    exit 0
fi

packages=$1
version=$2
linkmaps=$3
for tool in dpkg-deb xvfb-run xdotool mdb-count mdb-export ldd man systemd-analyze; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/deps.sh installs it)"
done
program_deb=$packages/logqvr_${version}_amd64.deb
sim_deb=$packages/logqvr-sim_${version}_amd64.deb
[ -f "$program_deb" ] && [ -f "$sim_deb" ] || fail "packages missing in $packages"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
tree=$work/tree
dpkg-deb -x "$program_deb" "$tree"
dpkg-deb -x "$sim_deb" "$tree"

echo "-- layout"
for file in usr/bin/LOG_QVR usr/bin/logqvr-report usr/bin/logqvr-cli usr/bin/qvr-sim \
    usr/lib/logqvr/libkestrune.so usr/lib/systemd/system/logqvr-collect@.service \
    usr/lib/systemd/system/logqvr-collect@.timer \
    usr/share/logqvr/LOG_QVR.mdb usr/share/logqvr/LOG_RESET_QVR.mdb \
    usr/share/applications/logqvr.desktop usr/share/icons/hicolor/scalable/apps/logqvr.svg; do
    [ -f "$tree/$file" ] || fail "$file is not in the packages"
done
[ "$(ls "$tree/usr/bin")" = "$(printf 'LOG_QVR\nlogqvr-cli\nlogqvr-report\nqvr-sim')" ] ||
    fail "usr/bin holds more than the four programs: $(ls "$tree/usr/bin")"
"$tree/usr/bin/logqvr-report" "$tree/usr/share/logqvr/LOG_QVR.mdb" -o "$work/template.html" >/dev/null ||
    fail "the installed logqvr-report does not report on the installed template"
sim_files=$(dpkg-deb -c "$sim_deb" | awk '$6 !~ /\/$/ { print $6 }' | sort | tr '\n' ' ')
[ "$sim_files" = "./usr/bin/qvr-sim ./usr/share/doc/logqvr-sim/changelog.gz \
./usr/share/doc/logqvr-sim/copyright ./usr/share/man/man1/qvr-sim.1.gz " ] ||
    fail "logqvr-sim holds more or less than qvr-sim, its page and its notices: $sim_files"
grep -q "^Comment=.*equipamentos" "$tree/usr/share/applications/logqvr.desktop" ||
    fail "the desktop entry has no Portuguese comment"

echo "-- manual pages"
for program in "$tree"/usr/bin/*; do
    name=$(basename "$program")
    page=$(MANPATH=$tree/usr/share/man man -w "$name" 2>/dev/null) ||
        fail "man finds no page for $name"
    [ "$page" = "$tree/usr/share/man/man1/$name.1.gz" ] || fail "man $name finds $page"
    MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "^NOME" ||
        fail "the page of $name is not in Portuguese"
done

echo "-- systemd units"
# Installed, never enabled: nothing links them into a target.
[ ! -e "$tree/etc/systemd" ] || fail "the package enables a unit: $(find "$tree/etc/systemd")"
units=$work/units
mkdir "$units"
# As an instance for a device, with the command where it lies unpacked.
sed "s|/usr/bin/logqvr-cli|$tree/usr/bin/logqvr-cli|" "$tree/usr/lib/systemd/system/logqvr-collect@.service" \
    >"$units/logqvr-collect@painel.service"
cp "$tree/usr/lib/systemd/system/logqvr-collect@.timer" "$units/logqvr-collect@painel.timer"
grep -qx "OnCalendar=daily" "$units/logqvr-collect@painel.timer" &&
    grep -qx "Persistent=true" "$units/logqvr-collect@painel.timer" ||
    fail "the timer does not run daily, caught up after a stop"
systemd-analyze verify --man=no "$units/logqvr-collect@painel.service" \
    "$units/logqvr-collect@painel.timer" || fail "systemd-analyze rejects the units"

echo "-- notices of what was linked in"
for deb in "$program_deb" "$sim_deb"; do
    package=$(dpkg-deb -f "$deb" Package)
    binaries=()
    for file in $(dpkg-deb -c "$deb" | awk '$6 !~ /\/$/ { print $6 }'); do
        ! cmp -s -n 4 <(printf '\177ELF') "$tree/$file" || binaries+=("$tree/$file")
    done
    [ ${#binaries[@]} -gt 0 ] || fail "no binaries found in $package"
    bash "$(dirname "$0")/linkedpieces.sh" "$tree/usr/share/doc/$package/copyright" "$linkmaps" \
        "${binaries[@]}" || fail "$package's copyright misses a piece linked into it"
done

echo "-- fields and dependencies"
[ "$(dpkg-deb -f "$program_deb" Package Version)" = "$(printf 'Package: logqvr\nVersion: %s' "$version")" ] ||
    fail "logqvr's name or version is wrong"
depends=$(dpkg-deb -f "$program_deb" Depends)
for needed in libqt6widgets6 libqt6core6 libstdc++6 libc6 qt6-qpa-plugins; do
    [[ ", $depends," == *", $needed "* || ", $depends," == *", $needed,"* ]] ||
        fail "logqvr does not depend on $needed: $depends"
done
[[ "$depends" != *-dev* ]] || fail "logqvr depends on a development package: $depends"

echo "-- links"
missing=$(ldd "$tree/usr/bin/LOG_QVR" "$tree/usr/lib/logqvr/libkestrune.so" "$tree/usr/bin/qvr-sim" \
    "$tree/usr/bin/logqvr-report" "$tree/usr/bin/logqvr-cli" |
    grep "not found" || true)
[ -z "$missing" ] || fail "unresolved libraries: $missing"
for program in LOG_QVR logqvr-cli; do
    if ldd "$tree/usr/bin/$program" | grep -q kestrune; then
        fail "$program links libkestrune.so; it must load it by name at run time"
    fi
done
! ldd "$tree/usr/bin/logqvr-cli" | grep -q libQt || fail "logqvr-cli links Qt"

echo "-- the installed program, run by an ordinary user"
as_user=()
if [ "$(id -u)" = 0 ]; then
    command -v setpriv >/dev/null || skip "running as root without setpriv: no ordinary user to test as"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    user=65534:65534
else
    chmod -R a-w "$tree/usr"
    user=$(id -u):$(id -g)
fi
home=$work/home
mkdir -p "$home/Documents" "$home/ports" "$home/data/Quorvane/LOG_QVR"
# A copy left damaged (here: not a database at all) must be replaced, never used.
head -c 4096 /dev/urandom >"$home/data/Quorvane/LOG_QVR/LOG_RESET_QVR.mdb"
chown -R "$user" "$home"
"${as_user[@]}" test -w "$tree/usr/bin" && fail "the test user can write usr/bin"

# The user may not reach this script where the tree under test lies.
cp "$0" "$work/drive.sh"
if ! timeout 90 "${as_user[@]}" xvfb-run -a -s "-screen 0 1024x768x24" \
    bash "$work/drive.sh" --drive "$work"; then
    echo "-- program output:"
    cat "$home/program.log" || true
    fail "driving the installed program failed"
fi

echo "-- what the download left"
[ "$(mdb-count "$(compgen -G "$home/cli/LOG_QVR_END1_*.mdb")" LOG)" = 3 ] ||
    fail "the installed logqvr-cli did not write its 3 records"
output=$(compgen -G "$home/Documents/LOG_QVR_END1_*.mdb")
[ "$(mdb-count "$output" LOG)" = 5 ] || fail "the output holds $(mdb-count "$output" LOG) rows, not 5"
# CRC_Valido is the last column: every record the simulator serves is sound.
[ "$(mdb-export "$output" LOG | head -n1 | awk -F, '{print $NF}')" = CRC_Valido ] ||
    fail "CRC_Valido is not the last column of the output"
[ "$(mdb-export -H "$output" LOG | awk -F, '{print $NF}' | sort -u)" = 1 ] ||
    fail "records with an invalid CRC in the output"
copies=$home/data/Quorvane/LOG_QVR
# The command fills the window's copies too; its 3 rows came last.
[ "$(mdb-count "$copies/LOG_QVR.mdb" LOG)" = 3 ] ||
    fail "the per-user data template does not hold the rows of the last download"
[ "$(mdb-count "$copies/LOG_RESET_QVR.mdb" LOG)" = 0 ] ||
    fail "the damaged reset template copy was not replaced by the pristine one"
echo "PASS"
