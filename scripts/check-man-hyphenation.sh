#!/bin/bash
# Fails when a manual page, set narrow, hyphenates a word across lines (groff marks the break
# with U+2010): an option name shown as "--pp‐" and "poe-password" cannot be typed.
#   scripts/check-man-hyphenation.sh PAGE.1.gz...
for page in "$@"; do
    if gzip -dc "$page" | groff -man -Tutf8 -rLL=60n 2>/dev/null | grep -n '‐'; then
        echo "$page: a word is hyphenated across lines" >&2 && exit 1
    fi
done
