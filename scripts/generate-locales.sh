#!/usr/bin/env bash
# Compiles the non-English locales the date tests run under (month names such as "Okt",
# non-empty local AM/PM words, a decimal comma); a locale already present is left alone.
set -euo pipefail
wanted=(de_DE el_GR)
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
present=$(locale -a 2>/dev/null | tr '[:upper:]' '[:lower:]')
for l in "${wanted[@]}"; do
  name=$(echo "$l.utf8" | tr '[:upper:]' '[:lower:]')
  if ! grep -qx "$name" <<<"$present"; then
    echo "Generating locale $l.UTF-8"
    "${sudo_cmd[@]}" localedef -i "$l" -f UTF-8 "$l.UTF-8"
  fi
done
