#!/bin/sh
# run_tool.sh TOOL ARGS...: runs a validator, or reports it skipped (code 77) when TOOL is not
# installed. Any output of the tool beyond a hint fails the check, so warnings are not let by.
tool="$1"
shift
if ! command -v "$tool" >/dev/null 2>&1; then
    echo "ignoré : $tool n'est pas installé (scripts/install-deps.sh l'installe)"
    exit 77
fi
output="$("$tool" "$@" 2>&1)"
status=$?
printf '%s\n' "$output"
if [ "$status" -ne 0 ]; then
    exit "$status"
fi
if printf '%s\n' "$output" | grep -Eqi '(^|: )(error|warning)'; then
    exit 1
fi
exit 0
