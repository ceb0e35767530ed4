#!/usr/bin/env bash
# Installs the packages of scripts/packages.txt and the locales the tests use.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/install-package-list.sh" "$here/packages.txt"
"$here/generate-locales.sh"
