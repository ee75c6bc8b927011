#!/usr/bin/env bash
# The teacher's day by clicks (tools/day-by-clicks.sh) on a fresh
# installation of this build, with services, data and display of its own.
# Screenshots go to <build>/screenshots/day_by_clicks/.
#   day_by_clicks_test.sh <source root> <build folder>
set -euo pipefail
src=$1 build=$2
work=$(mktemp -d /tmp/day-by-clicks-XXXXXX)
trap 'rm -rf "$work"' EXIT
# nginx's worker may run as another user (nobody, when started by root).
chmod 755 "$work"
cmake --install "$build" --prefix "$work/install" >/dev/null
VELTORA_SERVICES_DIR="$work/services" VELTORA_WORK_DIR="$work/demo" \
  VELTORA_SHOTS_DIR="$build/screenshots/day_by_clicks" \
  "$src/tools/day-by-clicks.sh" "$work/install" || {
  status=$?
  echo "--- the program's log (last lines)"
  tail -40 "$work/demo/veltora.log" 2>/dev/null || true
  exit "$status"
}
