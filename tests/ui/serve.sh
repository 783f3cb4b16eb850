# Sourced by the end-to-end scripts: serve_http ROOT [SCRIPT] starts the
# test HTTP server on 127.0.0.1 in the current folder, logging requests to
# serveN.log, and sets $port and $log; it stops when the script ends (its
# standard input closes) or after $serve_seconds (default 180). With
# $serve_port set it listens there (a server started again for the same
# URLs).
# fail MESSAGE ends the script.
fail() { echo "FAIL: $*"; exit 1; }
serve_count=0
serve_http() {
    serve_count=$((serve_count + 1))
    fifo=serve$serve_count.fifo
    log=$PWD/serve$serve_count.log
    rm -f "$fifo" "serve$serve_count.port" "$log"; mkfifo "$fifo"
    set -- --root "$1" ${2:+--script "$2"} ${serve_port:+--port "$serve_port"}
    python3 "$src/tests/servers/httpserver.py" "$@" --port-file "serve$serve_count.port" --log "$log" \
        --max-seconds "${serve_seconds:-180}" <"$fifo" >/dev/null 2>"serve$serve_count.err" &
    eval "exec $((serve_count + 3))>\"$fifo\""
    for i in $(seq 50); do [ -s "serve$serve_count.port" ] && break; sleep 0.1; done
    port=$(cat "serve$serve_count.port")
    [ -n "$port" ] || fail "the test server did not start: $(cat "serve$serve_count.err")"
}
# stop_http: the last server started stops (its port is free again).
stop_http() {
    eval "exec $((serve_count + 3))>&-"
}
