#!/usr/bin/env bash
# jack_server_test.sh SCRIPT NAME: servers that were killed, frozen or
# abandoned must not keep the next server of their name from starting, nor
# hold a place in JACK's registry or files in /dev/shm.
set -u
script=$1 name=$2 other=$2-other
uid=$(id -u)
dir=$(mktemp -d)
failures=0

cleanup() {
    bash "$script" stop "$name" "$dir" >/dev/null 2>&1
    bash "$script" stop "$other" "$dir" >/dev/null 2>&1
    rm -rf "$dir"
}
trap cleanup EXIT

fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}
start() { bash "$script" start "$1" "$dir" ${2:-} >/dev/null || fail "$1 did not start${3:+ $3}"; }
pid_of() { cat "$dir/jackd-$1.pid"; }
running() { [ -e "/proc/$1" ] && [ "$(awk '{print $3}' "/proc/$1/stat")" != Z ]; }
places() { tr '\0' '\n' </dev/shm/jack-shm-registry 2>/dev/null | grep -cx "jack-$uid:$1:"; }
files() { find /dev/shm -maxdepth 1 \( -name "jack_${1}_${uid}_*" -o -name "jack_sem.${uid}_${1}_*" \) | wc -l; }

expect_gone() { # NAME PID
    running "$2" && fail "jackd $1 (pid $2) still runs"
    [ "$(places "$1")" = 0 ] || fail "$1 still holds a place in the registry"
    [ "$(files "$1")" = 0 ] || fail "$1 left files in /dev/shm: $(ls /dev/shm | grep -F "$1")"
}

# Killed hard: its place, socket and semaphores stay behind, and its pid may
# still be a zombie when the next start comes.
start "$name"
first=$(pid_of "$name")
kill -KILL "$first"
start "$name" "" "after the last one was killed"
second=$(pid_of "$name")
[ "$second" != "$first" ] && running "$second" || fail "no new server after KILL"

# Frozen: it lives and keeps its place until it runs again.
kill -STOP "$second"
start "$name" "" "while the last one was frozen"
running "$second" && fail "the frozen server was left running"
third=$(pid_of "$name")
kill -STOP "$third"
bash "$script" stop "$name" "$dir" >/dev/null
expect_gone "$name" "$third"

# Another of our servers killed hard gives its place back when one starts.
start "$other"
lost=$(pid_of "$other")
kill -KILL "$lost"
start "$name"
expect_gone "$other" "$lost"
bash "$script" stop "$name" "$dir" >/dev/null

# An owned server ends with the process that started it.
bash -c "bash '$script' start '$name' '$dir' owned >/dev/null" || fail "owned server did not start"
owned=$(pid_of "$name")
for _ in $(seq 200); do running "$owned" || break; sleep 0.05; done
expect_gone "$name" "$owned"

# run: the pid comes once clients connect; TERM to the script ends the server.
exec 3< <(exec bash "$script" run "$name" "$dir")
runner=$!
read -r -t 60 served <&3 || fail "run printed no pid"
JACK_DEFAULT_SERVER=$name jack_lsp >/dev/null 2>&1 || fail "run's server takes no clients"
kill -STOP "${served:-0}"
kill -TERM "$runner"
for _ in $(seq 200); do running "$runner" || break; sleep 0.05; done
expect_gone "$name" "${served:-0}"

[ "$failures" = 0 ] && echo "all passed"
exit $((failures > 0))
