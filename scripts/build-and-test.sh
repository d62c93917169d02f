#!/usr/bin/env bash
# Installs what is missing, builds with the given preset and runs every test. With no preset:
# the dev preset, then the web preset (pelkano.html and its tests in chromium, which compare the
# page with the dev build's pelkano-sheets).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -eq 0 ]; then
  presets=(dev web)
else
  presets=("$1")
fi
# took WHAT: says how long WHAT took, since the last time it was said.
mark=$SECONDS
took() { echo "build-and-test: $1 took $((SECONDS - mark)) s"; mark=$SECONDS; }
bash scripts/install-deps.sh
took "installing what was missing"
for preset in "${presets[@]}"; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
  took "building $preset"
  ctest --preset "$preset" -j "$(nproc)"
  took "the $preset tests"
done
