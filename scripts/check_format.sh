#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from what clang-format makes of it with
# the repository's .clang-format; prints the files and how to mend them.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
quire_install_packages
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# Generated tables (*.inc) keep their generator's layout.
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.cc')
# One run over all files; each file that would change is named in a warning.
mapfile -t unformatted < <(clang-format --dry-run "${files[@]}" 2>&1 |
  sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning: code should be clang-formatted.*/\1/p' | sort -u)
if [ ${#unformatted[@]} -ne 0 ]; then
  echo "Not formatted with .clang-format ($(clang-format --version)):"
  printf '  %s\n' "${unformatted[@]}"
  echo "Mend with: clang-format -i ${unformatted[*]}"
  exit 1
fi
echo "check_format.sh: ${#files[@]} files formatted"
