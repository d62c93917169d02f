#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test, fuzz, check, run and package
# it. Run it as root (or as a user with sudo); it does nothing when all are present.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config                # building
  qt6-base-dev qt6-base-dev-tools libgl-dev                   # Qt 6 (its Gui needs the GL headers)
  qt6-translations-l10n                                       # Qt's own dialogs in Japanese
  fonts-ipafont-mincho fonts-ipafont-gothic fontconfig        # the faces sheets are drawn in
  python3-fonttools                                           # their metrics, read when building
  libjpeg62-turbo                                             # the type pictures
  libbenchmark-dev                                            # bench/
  clang-14 libclang-rt-14-dev                                 # fuzz/ (libFuzzer)
  python3                                                     # tools/check_draws_*.py
  xvfb xauth                                                  # scripts/measure-startup.sh
  poppler-utils                                               # tests: pdftoppm, pdftotext, pdfinfo read PDFs back
  debootstrap                                                 # scripts/check-fresh-machine.sh
  file dpkg-dev                                               # cpack -G DEB
  emscripten                                                  # pelkano.html (the web preset)
  chromium                                                    # its tests: the browser
)
# Node for emscripten and the browser tests: Debian's, unless a node and an npm are there already
# (another packaging of Node is left as it is).
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# The browser tests' driver, at the versions of its lock file (never a browser of its own).
install_test_driver() {
  local dir=web/tests
  if [ ! -f "$dir/node_modules/.package-lock.json" ] || [ "$dir/package-lock.json" -nt "$dir/node_modules/.package-lock.json" ]; then
    (cd "$dir" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error)
  fi
}
cd "$(dirname "$0")/.."
if [ ${#missing[@]} -eq 0 ]; then
  install_test_driver
  exit 0
fi
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "Missing packages: ${missing[*]}. Run this script as root once: su -c 'bash scripts/install-deps.sh'" >&2
    exit 1
  fi
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
install_test_driver
