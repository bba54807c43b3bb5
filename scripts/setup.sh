#!/bin/sh
# README command 1: install the packages, build.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-packages.sh
sh scripts/build.sh
