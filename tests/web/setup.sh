#!/usr/bin/env bash
# For the web tests: builds the page (tools/build-web.sh into WEB_BUILD, with
# the converters of this build) and installs playwright-core from the
# lockfile into NODE_FOLDER (npm ci, again only when the lockfile changed).
# Skipped (77) when Emscripten, chromium or npm is missing.
#
#   setup.sh SOURCE HOST_TOOLS WEB_BUILD NODE_FOLDER
set -euo pipefail
source_dir=$1 host_tools=$2 web_build=$3 node_folder=$4
here="$(dirname "$0")"

for tool in emcmake chromium npm node; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

TESSEL_HOST_TOOLS="$host_tools" TESSEL_WEB_BUILD="$web_build" "$source_dir/tools/build-web.sh"

mkdir -p "$node_folder"
if ! cmp -s "$here/package-lock.json" "$node_folder/package-lock.json" || [ ! -d "$node_folder/node_modules" ]; then
  cp "$here/package.json" "$here/package-lock.json" "$node_folder/"
  (cd "$node_folder" && npm ci --no-audit --no-fund)
fi
