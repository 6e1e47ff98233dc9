#!/usr/bin/env bash
# jack_server.sh start|stop NAME STATEDIR: a JACK server with the dummy
# backend under its own name, for the tests that send real MIDI.
set -u
cmd=$1 name=$2 dir=$3
pidfile="$dir/jackd-$name.pid"
log="$dir/jackd-$name.log"

stop() {
    [ -f "$pidfile" ] || return 0
    local pid
    pid=$(cat "$pidfile")
    rm -f "$pidfile"
    # Only a jackd of ours: the PID may have been reused since.
    if kill -0 "$pid" 2>/dev/null && grep -q jackd "/proc/$pid/cmdline" 2>/dev/null; then
        kill -TERM "$pid"
        for _ in $(seq 100); do
            kill -0 "$pid" 2>/dev/null || return 0
            sleep 0.05
        done
        kill -KILL "$pid" 2>/dev/null
    fi
    return 0
}

case $cmd in
start)
    if ! command -v jackd >/dev/null || ! command -v jack_lsp >/dev/null; then
        echo "jackd or jack_lsp missing (scripts/setup installs jackd2)" >&2
        exit 1
    fi
    mkdir -p "$dir"
    stop # a server left over from an interrupted run
    export JACK_DEFAULT_SERVER=$name
    # A simple command, so that $! is jackd itself; its output must not hold
    # ctest's pipe open.
    jackd -n "$name" -r -d dummy -r 48000 -p 256 </dev/null >"$log" 2>&1 &
    pid=$!
    echo "$pid" >"$pidfile"
    for _ in $(seq 200); do
        if jack_lsp >/dev/null 2>&1; then
            echo "jackd $name running (pid $pid)"
            exit 0
        fi
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "jackd $name exited:" >&2
            cat "$log" >&2
            rm -f "$pidfile"
            exit 1
        fi
        sleep 0.05
    done
    echo "jackd $name did not come up" >&2
    cat "$log" >&2
    stop
    exit 1
    ;;
stop)
    stop
    echo "jackd $name stopped"
    ;;
*)
    echo "usage: $0 start|stop NAME STATEDIR" >&2
    exit 2
    ;;
esac
