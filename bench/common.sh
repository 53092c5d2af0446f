# Shared by the benchmarks: builds zorwifi-demo when needed and runs it offscreen,
# in a scratch folder of its own, against its embedded simulated unit.

bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ZORWIFI_BUILD_DIR:-$bench_root/build}
case $build in /*) ;; *) build=$bench_root/$build ;; esac

ensure_demo() {
  [ -f "$build/build.ninja" ] || cmake -S "$bench_root" -B "$build" -G Ninja >/dev/null
  cmake --build "$build" --target zorwifi-demo >/dev/null
}

# Starts the demo (with the given options) and returns once it has shown the unit's device
# information. Sets demo_pid, demo_log and startup_ms (process start to that moment, as seen
# from outside).
start_demo() {
  demo_scratch=$(mktemp -d)
  mkdir -m 700 "$demo_scratch/runtime"
  demo_log=$demo_scratch/stderr
  local log=$demo_log started now
  : >"$log"
  started=$(date +%s%N)
  (cd "$demo_scratch" && QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$demo_scratch/runtime" \
     exec "$build/zorwifi-demo" "$@" 2>"$log") &
  demo_pid=$!
  until grep -q "linked to" "$log"; do
    now=$(date +%s%N)
    if (( now - started > 30000000000 )) || ! kill -0 "$demo_pid" 2>/dev/null; then
      echo "zorwifi-demo did not link within 30 s:" >&2
      cat "$log" >&2
      stop_demo
      return 1
    fi
    sleep 0.002
  done
  now=$(date +%s%N)
  startup_ms=$(( (now - started) / 1000000 ))
}

stop_demo() {
  kill "$demo_pid" 2>/dev/null || true
  wait "$demo_pid" 2>/dev/null || true
  rm -rf "$demo_scratch"
}

# User plus system CPU time of a process, in clock ticks.
cpu_ticks() {
  local fields
  read -r -a fields <<<"$(sed 's/^.*) //' "/proc/$1/stat")"
  # After the command name: field 14 (utime) is index 11, field 15 (stime) index 12.
  echo $(( fields[11] + fields[12] ))
}

status_kib() {
  awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"
}
