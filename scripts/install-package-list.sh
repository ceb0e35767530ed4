#!/usr/bin/env bash
# Installs the Debian packages listed in FILE (one per line, "#" comments); apt runs only
# when one is missing, so a second run costs nothing.
#   install-package-list.sh FILE
set -euo pipefail
mapfile -t packages < <(grep -v '^\s*#' "$1" | grep -v '^\s*$')
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
