#!/usr/bin/env bash
# Installs what Ferrovan needs, builds the test build (address and undefined-behaviour
# sanitizers on) in build-test/ and runs every suite; the exit status is the suite's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-packages.sh"
cmake -S "$root" -B "$root/build-test" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFERROVAN_SANITIZE=ON -DFERROVAN_TESTS=ON
cmake --build "$root/build-test"
cd "$root/build-test"
ctest --output-on-failure --timeout 600 "$@"
