#!/usr/bin/env bash
# Makes sure the Debian packages needed to build and test ZUNT are present.
# As root it installs what is missing; otherwise it prints the install line.
set -euo pipefail
pkgs=(g++ cmake make libgtest-dev "$@")
missing=()
for p in "${pkgs[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
else
  echo "Missing build dependencies. Install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
