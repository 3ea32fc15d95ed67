#!/usr/bin/env bash
# The main job: build the host program and show and check the bundled sample project.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native --target tagcfg_cli
build/native/tools/cli/tagcfg show examples/plant1 plant1
build/native/tools/cli/tagcfg check examples/plant1 plant1
