#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source file differs from what the repository's .clang-format
# makes of it, and names the files. Fix with: clang-format -i FILE...
set -euo pipefail
top="$1"
cd "$top"
mapfile -t files < <(find base shell datafiles operations colours editor runs numlib tests bench fuzz \
    -name '*.h' -o -name '*.cpp' | sort)
drift=()
for f in "${files[@]}"; do
    if ! clang-format --dry-run -Werror "$f" >/dev/null 2>&1; then
        drift+=("$f")
    fi
done
if [ ${#drift[@]} -gt 0 ]; then
    echo "Not formatted with .clang-format (${#drift[@]} of ${#files[@]} files):"
    printf '  %s\n' "${drift[@]}"
    exit 1
fi
echo "${#files[@]} files formatted with .clang-format"
