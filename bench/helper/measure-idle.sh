#!/usr/bin/env bash
# Measures an idle agent: resident memory once it has settled, and CPU time per idle
# minute (user + system time over a sampling window, scaled). The agent runs in a
# temporary XDG home with a configuration that assigns actions, and is stopped after.
#
# Usage: bench/helper/measure-idle.sh [agent-executable] [settle-seconds] [sample-seconds]
set -euo pipefail
agent=${1:-build/run/bin/quorvel-helper}
settle=${2:-3}
sample=${3:-10}
[ -x "$agent" ] || { echo "no agent executable at $agent" >&2; exit 1; }

home=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT
mkdir -p "$home/config/Quorvel"
cat > "$home/config/Quorvel/configuration.json" <<'JSON'
{"isEnabled": true,
 "recognizer": {"cornerZone": 0.3, "doubleTapWindow": 0.45, "tripleTapWindow": 0.2,
                "maximumTapDuration": 0.28, "maximumTapTravel": 0.08},
 "assignments": [{"corner": "topLeft", "doubleTap": {"id": "00000000-0000-4000-8000-000000000001",
                  "kind": {"runShortcut": {"name": "idle"}}, "isEnabled": true}}]}
JSON

HOME="$home" XDG_CONFIG_HOME="$home/config" "$agent" 2>"$home/agent.log" &
pid=$!
sleep "$settle"
kill -0 "$pid" 2>/dev/null || { echo "the agent ended:" >&2; cat "$home/agent.log" >&2; exit 1; }

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
rss_kib=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
rss_parts=$(awk '/^Rss(Anon|File|Shmem):/ { printf "%s %s KiB  ", $1, $2 }' "/proc/$pid/status")
before=$(cpu_ticks)
sleep "$sample"
after=$(cpu_ticks)
ticks_per_second=$(getconf CLK_TCK)

awk -v rss="$rss_kib" -v parts="$rss_parts" -v ticks=$((after - before)) -v hz="$ticks_per_second" -v seconds="$sample" 'BEGIN {
  printf "resident memory: %.2f MiB (VmRSS %d KiB; %s)\n", rss / 1024, rss, parts
  printf "CPU time: %d ticks in %d s idle = %.1f ms per idle minute (resolution %.0f ms)\n",
         ticks, seconds, ticks * 1000 / hz * 60 / seconds, 1000 / hz * 60 / seconds
}'
echo "agent log:"
sed 's/^/  /' "$home/agent.log"
