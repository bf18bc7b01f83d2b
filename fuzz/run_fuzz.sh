#!/usr/bin/env bash
# Runs one fuzz target for a bounded time: TARGET SECONDS SEED_DIR...
# New inputs go to a working corpus beside the target; the seeds stay as
# they are. Exits non-zero on any finding, leaving the input that caused it
# (crash-*, timeout-*, oom-*, leak-*) in the target's folder.
set -euo pipefail
target=$1 seconds=$2
shift 2
work="$(dirname "$target")/$(basename "$target")-corpus"
mkdir -p "$work"
exec "$target" -max_total_time="$seconds" -max_len=50000 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$(dirname "$target")/" "$work" "$@"
