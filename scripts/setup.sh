#!/bin/sh
# README command 1: install the packages, build, create the demo database (SQLite, in demo/run/) and
# run the demo job headless: a test run changing the demo's proxy stem. It prints where the report is
# and its counter lines.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-packages.sh
# Only what the demo runs: the program and the SQLite extension its data sources load.
sh scripts/build.sh linkmend linkmend_sqlite
sh demo/setup-demo.sh build
sh demo/run-demo.sh build
