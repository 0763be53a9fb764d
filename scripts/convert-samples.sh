#!/usr/bin/env bash
# Sets up, builds the converter and converts the bundled sample models.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh core
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
