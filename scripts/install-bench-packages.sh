#!/usr/bin/env bash
# Installs the packages of scripts/bench-packages.txt (the comparison tools of bench/run).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/install-package-list.sh" "$here/bench-packages.txt"
