# Sourced by the install tests. Uses their `tmp`, `data`, `config` and `fail`.
#
# Starts the program (arguments after the marker), waits until the marker file appears, lets it run
# a moment longer and stops it. The program keeps running until it is stopped; ending by itself is
# a failure. Sets `run_status`.
run_until() {
  local marker=$1
  shift
  HOME="$tmp/home" XDG_DATA_HOME="$data" XDG_CONFIG_HOME="$config" \
    timeout 120 "$@" >"$tmp/run.log" 2>&1 &
  local pid=$! i
  for ((i = 0; i < 1200; i++)); do
    [ -e "$marker" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  sleep 1
  kill -0 "$pid" 2>/dev/null && kill -TERM "$pid"
  run_status=0
  wait "$pid" || run_status=$?
  if [ "$run_status" -ne 124 ] && [ "$run_status" -ne 143 ]; then
    cat "$tmp/run.log" >&2
    fail "$(basename "$1") ended by itself (status $run_status) instead of running until stopped"
  fi
}
