#!/bin/bash
# Checks that no word of the manual pages is hyphenated across lines: groff marks such a break
# with U+2010, and an option name shown as "--pp‐" and "poe-password" cannot be typed. Set
# narrow, where lines break most.
#   scripts/check-man-hyphenation.sh PAGE.1.gz...
set -eu
failed=0
for page in "$@"; do
    if gzip -dc "$page" | groff -man -Tutf8 -rLL=60n 2>/dev/null | grep -n '‐'; then
        echo "$page: a word is hyphenated across lines" >&2
        failed=1
    fi
done
[ "$failed" = 0 ] && echo "no word hyphenated in $#" manual pages
