# Sourced by the benchmark scripts and tools/mirror-sample.sh (bash):
#   start_server DIR ARGS...  starts the test HTTP server with ARGS on
#                             127.0.0.1, its port file and errors in DIR, and
#                             sets $server_port; a server started before stops
#   stop_server               stops it (call it from the script's EXIT trap)
server_py="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/servers/httpserver.py"
server_pid=

stop_server() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null || true
  fi
  server_pid=
}

start_server() {
  local dir=$1
  shift
  stop_server
  rm -f "$dir/port"
  python3 "$server_py" "$@" --port-file "$dir/port" --no-stdin </dev/null >/dev/null 2>"$dir/err" &
  server_pid=$!
  for _ in $(seq 100); do [ -s "$dir/port" ] && break; sleep 0.05; done
  [ -s "$dir/port" ] || { echo "the local server did not start: $(cat "$dir/err")" >&2; exit 1; }
  server_port=$(cat "$dir/port")
}
