#!/usr/bin/env bash
# Start-up time of the window program, from process start to the window's first show and its
# first expose, offscreen and on a virtual X server. Usage: scripts/measure-startup.sh [pelkano] [runs]
set -euo pipefail
exe=${1:-build/release/app/pelkano}
runs=${2:-5}
export PELKANO_STARTUP_PROBE=1
echo "offscreen:"
for _ in $(seq "$runs"); do QT_QPA_PLATFORM=offscreen "$exe" 2>/dev/null | tr '\n' ' '; echo; done
echo "Xvfb:"
for _ in $(seq "$runs"); do
  xvfb-run -a -s "-screen 0 1024x768x24" "$exe" 2>/dev/null | tr '\n' ' '; echo
done
