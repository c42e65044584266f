#!/usr/bin/env bash
# Installs the Debian packages the build, tests and benchmarks need, if missing.
# As root it runs apt-get (after refreshing the package lists); otherwise it
# prints the command to run.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  libexpat1-dev libpcre2-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  libxml2-utils gzip python3 locales
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# The tests check that number formatting ignores a locale with a decimal comma.
need_locale() { ! locale -a 2>/dev/null | grep -qix 'de_DE.utf-\?8'; }

if [ ${#missing[@]} -eq 0 ] && ! need_locale; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  if [ ${#missing[@]} -ne 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  if need_locale; then localedef -i de_DE -f UTF-8 de_DE.UTF-8; fi
else
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run: sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  if need_locale; then echo "Run: sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8" >&2; fi
  exit 1
fi
