#!/usr/bin/env bash
# Runs a Windows program under Wine in the session scripts/wine-env.sh prepared (ctest
# starts the cross-built tests through this). Passes the program's exit code through.
#
# Wine's output goes to files first: a process the program leaves behind (a service, the
# desktop) would otherwise hold ctest's pipes open and stall it.
set -euo pipefail

if [ -z "${WINEPREFIX:-}" ] || [ ! -d "${MIRELKA_WINE_SESSION:-}" ]; then
    echo "wine-exec: no Wine session: run the tests with scripts/test.sh, or" \
        "'source scripts/wine-env.sh' first" >&2
    exit 2
fi
if [ "$#" -eq 0 ]; then
    echo "usage: wine-exec.sh PROGRAM.exe [ARG...]" >&2
    exit 2
fi

out="$(mktemp "${MIRELKA_WINE_SESSION}/exec-out.XXXXXX")"
err="$(mktemp "${MIRELKA_WINE_SESSION}/exec-err.XXXXXX")"
wine_pid=""

# shellcheck disable=SC2317  # called by the EXIT trap
finish() {
    local status=$?
    if [ -n "${wine_pid}" ]; then
        kill "${wine_pid}" 2>/dev/null || true
    fi
    cat "${out}" 2>/dev/null || true
    # The launcher's hint that the 32-bit Wine is missing; a 64-bit program needs none.
    grep -v -e 'it looks like wine32 is missing' -e 'multiarch needs to be enabled' \
        -e 'dpkg --add-architecture i386' -e 'apt-get install wine32' "${err}" >&2 || true
    rm -f "${out}" "${err}"
    exit "${status}"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

(
    for fd_path in /proc/"${BASHPID}"/fd/*; do
        fd="${fd_path##*/}"
        if [ "${fd}" -gt 2 ] 2>/dev/null; then
            eval "exec ${fd}>&-" 2>/dev/null || true
        fi
    done
    exec wine "$@"
) </dev/null >"${out}" 2>"${err}" &
wine_pid=$!
status=0
wait "${wine_pid}" || status=$?
wine_pid=""
exit "${status}"
