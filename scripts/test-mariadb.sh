#!/bin/bash
# A throwaway MariaDB server on loopback for the tests, in folder DIR:
#   test-mariadb.sh start DIR    start it (on a free port, kept in DIR/port across restarts),
#                                with the anonymous account and the research schema
#   test-mariadb.sh kill DIR     end it at once, as a crash would
#   test-mariadb.sh stop DIR     shut it down and remove DIR
# When no server program is installed, "start" writes the reason to DIR/unavailable and
# succeeds, so that the tests can skip with that message.
set -u
cmd=$1
dir=$2
here=$(cd "$(dirname "$0")" && pwd)
sock=$dir/mysqld.sock

server_pid() { cat "$dir/mysqld.pid" 2>/dev/null; }

case $cmd in
start)
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    sock=$dir/mysqld.sock
    rm -f "$dir/unavailable"
    if ! command -v mariadbd >/dev/null 2>&1 || ! command -v mariadb-install-db >/dev/null 2>&1; then
        echo "mariadb-server is not installed (scripts/install-deps.sh installs it)" >"$dir/unavailable"
        exit 0
    fi
    user_opt=
    [ "$(id -u)" = 0 ] && user_opt=--user=root
    if [ ! -d "$dir/data" ]; then
        mariadb-install-db --no-defaults $user_opt --datadir="$dir/data" \
            --auth-root-authentication-method=socket --skip-test-db --skip-name-resolve \
            >"$dir/install.log" 2>&1 || { echo "mariadb-install-db failed: see $dir/install.log" >"$dir/unavailable"; exit 0; }
    fi
    if [ ! -s "$dir/port" ]; then
        # A port nobody listens on, so that test runs in parallel worktrees do not meet.
        port=$((20000 + RANDOM % 40000))
        while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do
            port=$((20000 + RANDOM % 40000))
        done
        echo "$port" >"$dir/port"
    fi
    port=$(cat "$dir/port")
    mariadbd --no-defaults $user_opt --datadir="$dir/data" --socket="$sock" --port="$port" \
        --bind-address=127.0.0.1 --skip-name-resolve --pid-file="$dir/mysqld.pid" \
        --log-error="$dir/error.log" --innodb-buffer-pool-size=32M --skip-log-bin \
        --innodb-log-file-size=16M >/dev/null 2>&1 &
    i=0
    until mariadb-admin --no-defaults --socket="$sock" -uroot ping >/dev/null 2>&1; do
        i=$((i + 1))
        if [ $i -gt 600 ]; then
            echo "the server did not start within 60 s: see $dir/error.log" >"$dir/unavailable"
            exit 0
        fi
        sleep 0.1
    done
    mariadb --no-defaults --socket="$sock" -uroot -e \
        "CREATE USER IF NOT EXISTS ''@'127.0.0.1'; CREATE DATABASE IF NOT EXISTS research;
         GRANT ALL ON research.* TO ''@'127.0.0.1';" &&
    mariadb --no-defaults --socket="$sock" -uroot <"$here/coolinoid-schema.sql" ||
        { echo "setting up the schema failed" >"$dir/unavailable"; exit 0; }
    ;;
kill)
    pid=$(server_pid)
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    i=0
    while [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
    rm -f "$dir/mysqld.pid"
    ;;
stop)
    if [ -S "$sock" ]; then
        mariadb-admin --no-defaults --socket="$sock" -uroot shutdown >/dev/null 2>&1
    fi
    pid=$(server_pid)
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$dir"
    ;;
*)
    echo "usage: $0 start|kill|stop DIR" >&2
    exit 2
    ;;
esac
