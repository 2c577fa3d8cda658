#!/usr/bin/env bash
# Installs what is missing, builds, makes the demo plug-in folder and shows its demo kit.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
demo=build/demo
build/tools/make-demo "$demo" >/dev/null
exec build/apps/padsmith-kit/padsmith-kit show "$demo/Zarvo/Demo Kit.txt" --plugin-dir "$demo/Zarvo"
