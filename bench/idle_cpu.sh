#!/usr/bin/env bash
# Average CPU of the linked demo (poll loop, live simulated unit) over a quiet period.
# Usage: bench/idle_cpu.sh [seconds, default 60]. Passes when below 1 % of one core.
set -euo pipefail
source "$(dirname "$0")/common.sh"
seconds=${1:-60}
ensure_demo
start_demo
trap stop_demo EXIT
before=$(cpu_ticks "$demo_pid")
sleep "$seconds"
after=$(cpu_ticks "$demo_pid")
hz=$(getconf CLK_TCK)
percent=$(awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * t / hz / s }')
printf '%-28s %s\n' "idle CPU over ${seconds} s" "${percent} % of one core ($((after - before)) ticks at ${hz} Hz)"
awk -v p="$percent" 'BEGIN { exit !(p < 1.0) }' || { echo "FAIL: idle CPU is 1 % or more" >&2; exit 1; }
