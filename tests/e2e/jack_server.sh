#!/usr/bin/env bash
# A JACK server with the dummy backend under a name of its own, for the tests
# and benchmarks that send real MIDI.
#
#   jack_server.sh start NAME STATEDIR [owned]
#       Starts the server and returns once clients can connect. With "owned"
#       the server also stops when the process that ran this command ends.
#       It asks for realtime scheduling: without it a loaded machine makes the
#       server late, and a late cycle loses the MIDI events it carried. Where
#       the system does not grant it, jackd runs without. It runs synchronous:
#       a cycle waits for a late client rather than drop what it sends.
#   jack_server.sh stop NAME STATEDIR
#   jack_server.sh run NAME STATEDIR [PERIOD [realtime|plain]]
#       Runs the server in the foreground: prints its process id once clients
#       can connect, and stops it when this script is told to stop (TERM, INT,
#       HUP) or the server ends.
#
# JACK keeps the servers of the whole machine in a registry of eight places
# (/dev/shm/jack-shm-registry). A server that ends on TERM frees its place; one
# killed hard keeps it, and one stopped by SIGSTOP keeps it while it lives. So
# servers are stopped with CONT and TERM, and before a start what earlier
# servers of ours left is cleared: servers of the same name still running,
# their socket and semaphore files, and the places of our servers that are
# gone (JACK itself frees a dead server's place only for its own name).
set -u

Family=quorlen- # the names of the servers this script may clear up after
uid=$(id -u)
shm=/dev/shm
registry=$shm/jack-shm-registry

usage() {
    echo "usage: $0 start NAME STATEDIR [owned] | stop NAME STATEDIR | run NAME STATEDIR [PERIOD [realtime|plain]]" >&2
    exit 2
}

# The process ids of our jackd processes serving NAME.
servers_named() {
    local d argv i
    for d in /proc/[0-9]*; do
        [ -O "$d" ] || continue
        mapfile -d '' argv <"$d/cmdline" 2>/dev/null || continue
        case ${argv[0]:-} in jackd | */jackd) ;; *) continue ;; esac
        for ((i = 1; i + 1 < ${#argv[@]}; i++)); do
            if [ "${argv[i]}" = -n ] || [ "${argv[i]}" = --name ]; then
                [ "${argv[i + 1]}" = "$1" ] && echo "${d#/proc/}"
                break
            fi
        done
    done
}

running() { # alive and not a zombie
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

ended() { # PID SECONDS
    local until=$((SECONDS + $2))
    while [ $SECONDS -lt $until ]; do
        running "$1" || return 0
        sleep 0.05
    done
    return 1
}

# Stops a server as a user would; a stopped one takes TERM only once it runs
# again. One that ended on TERM has given its place back. After KILL its place
# is freed by free_places, which does not count zombies as servers.
halt() {
    kill -CONT "$1" 2>/dev/null
    kill -TERM "$1" 2>/dev/null
    if ! ended "$1" 30; then
        echo "jackd $1 ignored TERM; killing it" >&2
        kill -KILL "$1" 2>/dev/null
        ended "$1" 10
    fi
    wait "$1" 2>/dev/null # reaps it when it is our child
    return 0
}

# What a server of NAME killed earlier left in /dev/shm: its socket, and the
# semaphores of the server and of the clients it had.
remove_files() {
    find "$shm" -maxdepth 1 -user "$uid" \( -name "jack_${1}_${uid}_*" -o -name "jack_sem.${uid}_${1}_*" \) \
        -delete 2>/dev/null
}

# Empties the registry places of our family whose server no longer runs, and
# removes those servers' files. Done only when the registry has the layout this
# expects: a magic word, then per place a process id and "jack-UID:NAME:".
free_places() {
    [ -f "$registry" ] && [ "$(head -c 4 "$registry")" = KCAJ ] || return 0
    local hdr stride i off pid entry name
    hdr=$(od -An -t u4 -j 16 -N 4 "$registry" | tr -d ' ')
    [ -n "$hdr" ] && [ $(((hdr - 24) % 8)) -eq 0 ] || return 0
    stride=$(((hdr - 24) / 8))
    [ "$stride" -ge 64 ] || return 0
    for ((i = 0; i < 8; i++)); do
        off=$((24 + i * stride))
        pid=$(od -An -t d4 -j "$off" -N 4 "$registry" | tr -d ' ')
        entry=$(dd if="$registry" bs=1 skip=$((off + 4)) count=$((stride - 4)) status=none | tr -d '\0')
        case $entry in "jack-$uid:$Family"*:) ;; *) continue ;; esac
        name=${entry#"jack-$uid:"}
        name=${name%:}
        [ "$pid" != 0 ] || continue
        [ -z "$(servers_named "$name")" ] || continue
        dd if=/dev/zero of="$registry" bs="$stride" count=1 seek="$off" oflag=seek_bytes \
            conv=notrunc status=none
        remove_files "$name"
    done
    # Files of our servers that were killed before their places were freed.
    local f
    for f in "$shm/jack_sem.${uid}_$Family"* "$shm/jack_$Family"*"_${uid}_"*; do
        [ -O "$f" ] || continue
        name=${f#"$shm/jack_sem.${uid}_"}
        name=${name#"$shm/jack_"}
        name=${name%%_*}
        [ -n "$(servers_named "$name")" ] || remove_files "$name"
    done
}

# Files are removed only under a lock on /dev/shm, when no server of the name
# runs: a server of the name started meanwhile must keep its own.
lock() {
    exec 9<"$shm"
    flock -w 120 9 || echo "jack_server.sh: going on without the lock" >&2
}

tidy() {
    lock
    [ -n "$(servers_named "$name")" ] || remove_files "$name"
    exec 9<&-
}

# Before a start: no server of NAME of ours runs and nothing of one is left.
clear_leftovers() {
    local pid
    lock
    for pid in $(servers_named "$name"); do
        echo "stopping a jackd $name left running (pid $pid)" >&2
        halt "$pid"
    done
    remove_files "$name"
    free_places
}

# Starts jackd in the background as $server and waits until clients connect.
# With "sync" a cycle waits for a late client instead of dropping its events.
launch() {
    local period=${1:-256} mode=-R sync=
    [ "${2:-}" = plain ] && mode=-r
    [ "${3:-}" = sync ] && sync=-S
    JACK_DEFAULT_SERVER=$name jackd -n "$name" $mode $sync -d dummy -r 48000 -p "$period" \
        </dev/null >"$log" 2>&1 9<&- &
    server=$!
    local until=$((SECONDS + 60))
    while [ $SECONDS -lt $until ]; do
        if JACK_DEFAULT_SERVER=$name jack_lsp >/dev/null 2>&1; then
            exec 9<&-
            return 0
        fi
        if ! running "$server"; then
            echo "jackd $name exited:" >&2
            cat "$log" >&2
            exec 9<&-
            return 1
        fi
        sleep 0.05
    done
    echo "jackd $name did not come up" >&2
    cat "$log" >&2
    halt "$server"
    exec 9<&-
    return 1
}

[ $# -ge 2 ] || usage
cmd=$1 name=$2
# The name goes into file patterns; "_" would make them ambiguous.
[[ $name =~ ^[A-Za-z0-9.-]+$ ]] || {
    echo "bad server name '$name'" >&2
    exit 2
}
if [ "$cmd" != stop ] && { ! command -v jackd >/dev/null || ! command -v jack_lsp >/dev/null; }; then
    echo "jackd or jack_lsp missing (scripts/setup installs jackd2)" >&2
    exit 1
fi

case $cmd in
start)
    [ $# -ge 3 ] || usage
    dir=$3
    mkdir -p "$dir"
    log="$dir/jackd-$name.log"
    clear_leftovers
    # The tests that check what arrives: a loaded machine (a sanitizer build,
    # other tests) makes clients late, and a late client must not lose MIDI.
    launch 256 "" sync || exit 1
    echo "$server" >"$dir/jackd-$name.pid"
    if [ "${4:-}" = owned ]; then
        # Watches the caller (ctest) from outside its pipes.
        owner=$PPID
        (
            while kill -0 "$owner" 2>/dev/null && running "$server"; do sleep 0.5; done
            if running "$server"; then
                halt "$server"
                tidy
            fi
        ) </dev/null >/dev/null 2>&1 &
    fi
    echo "jackd $name running (pid $server)"
    ;;
stop)
    [ $# -ge 3 ] || usage
    rm -f "$3/jackd-$name.pid"
    for pid in $(servers_named "$name"); do halt "$pid"; done
    tidy
    echo "jackd $name stopped"
    ;;
run)
    [ $# -ge 3 ] || usage
    mkdir -p "$3"
    log="$3/jackd-$name.log"
    server=
    trap '[ -n "$server" ] && halt "$server"; tidy; exit 0' TERM INT HUP
    clear_leftovers
    launch "${4:-256}" "${5:-}" || exit 1
    echo "$server"
    exec >/dev/null 2>&1
    wait "$server"
    tidy
    ;;
*) usage ;;
esac
