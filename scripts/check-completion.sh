#!/bin/bash
# Checks that the bash completion of pelmora-cli offers every command `pelmora-cli --help`
# lists and, for each command, every option its --help lists.
#   scripts/check-completion.sh COMPLETION_SCRIPT PELMORA_CLI
set -eu
completion=$1
program=$2
# shellcheck source=/dev/null
source "$completion"

offered() {
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMPREPLY=()
    _pelmora_cli
    printf '%s\n' "${COMPREPLY[@]}"
}

commands=$("$program" --help | awk '/^Subcommands:/ { inside = 1; next }
    inside && /^$/ { exit } inside && /^  [^ ]/ { print $1 }')
[ -n "$commands" ] || { echo "no commands in $program --help" >&2; exit 1; }
completed=$(offered "$program" "")
failed=0
for command in $commands; do
    if ! grep -qx -- "$command" <<<"$completed"; then
        echo "not completed: $command" >&2
        failed=1
    fi
    # Option entries start a line, indented: "  -h,--help", "  --wait FLOAT:SECONDS".
    options=$("$program" "$command" --help | grep -E '^ +-' | awk '{ print $1 }' | tr ',' '\n' |
        sort -u)
    completed_options=$(offered "$program" "$command" "-")
    for option in $options; do
        if ! grep -qx -- "$option" <<<"$completed_options"; then
            echo "not completed: $command $option" >&2
            failed=1
        fi
    done
done
[ "$failed" = 0 ] && echo "bash completion offers every command and option of $program"
exit "$failed"
