#!/bin/sh
# Builds the WebAssembly module, then runs its Node tests and the page's and
# module's tests in Debian's headless Chromium (puppeteer-core, installed
# from wasm/package-lock.json). Screenshots of the page are left in
# build-wasm/screenshots/.
set -eu
cd "$(dirname "$0")/.."
tools/build-wasm.sh
cd wasm
npm ci --no-audit --no-fund --loglevel=error
node --test test/*.test.mjs test/browser/*.test.mjs
