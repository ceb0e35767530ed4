#!/usr/bin/env bash
# Installs what Ferrovan needs and builds build/ferrovan (release with debug info).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-packages.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFERROVAN_TESTS=OFF
cmake --build "$root/build"
echo "Built $root/build/ferrovan"
