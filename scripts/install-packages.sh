#!/usr/bin/env bash
# Installs the Debian packages that are missing (with apt-get, as root or
# through sudo): those named as arguments, else those of packages.txt.
#
#   scripts/install-packages.sh                  packages.txt
#   scripts/install-packages.sh clang-14 ...     just these
set -euo pipefail
cd "$(dirname "$0")/.."
wanted=("$@")
if ((${#wanted[@]} == 0)); then
  while read -r pkg; do
    [[ -z "$pkg" || "$pkg" == \#* ]] && continue
    wanted+=("$pkg")
  done < packages.txt
fi
missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
if ((${#missing[@]})); then
  echo "== installing: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
