#!/usr/bin/env bash
# Builds and runs every test: the core's unit tests natively under ASan/UBSan, then the
# MinGW-w64 build's unit, adapter and end-to-end tests under Wine in a throw-away prefix.
# Goes on past a failing step where the next ones do not depend on it, prints a summary,
# and exits non-zero when anything failed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

jobs="$(nproc 2>/dev/null || echo 2)"
summary=()
failed=0
run_started="${SECONDS}"

# The command of the current step, ended with this script: bash runs a trap only once the
# foreground command is over, so steps run in the background and are waited for.
current=""
# shellcheck disable=SC2317  # called by the traps
on_signal() {
    if [ -n "${current}" ]; then
        kill -TERM "${current}" 2>/dev/null || true
    fi
    if declare -F mirelka_wine_cleanup >/dev/null; then
        mirelka_wine_cleanup
    fi
    trap - "$1"
    kill -"$1" "$$"
}
set_traps() {
    trap 'on_signal INT' INT
    trap 'on_signal TERM' TERM
}
set_traps

# step NAME CMD...: runs CMD, notes its outcome and time; the status is CMD's.
step() {
    local name="$1"
    shift
    local started="${SECONDS}" status=0
    echo
    echo "==> ${name}"
    if [ "$(type -t "$1")" = function ]; then
        "$@" || status=$?
    else
        "$@" &
        current=$!
        wait "${current}" || status=$?
        current=""
    fi
    local took=$((SECONDS - started))
    if [ "${status}" -eq 0 ]; then
        summary+=("$(printf '  ok    %4ds  %s' "${took}" "${name}")")
    else
        summary+=("$(printf '  FAIL  %4ds  %s (exit %d)' "${took}" "${name}" "${status}")")
        failed=1
    fi
    return "${status}"
}

skip() {
    summary+=("$(printf '  skip         %s' "$1")")
}

print_summary() {
    echo
    echo "==> summary ($((SECONDS - run_started)) s)"
    printf '%s\n' "${summary[@]}"
    if [ "${failed}" -ne 0 ]; then
        echo "FAILED"
    else
        echo "all passed"
    fi
}

# shellcheck disable=SC2317  # called through step
start_wine_session() {
    # Xvfb even under a desktop session: the tests read pixels off the screen, which other
    # windows there could cover. MIRELKA_HEADLESS=0 shows them on your display instead.
    export MIRELKA_HEADLESS="${MIRELKA_HEADLESS:-1}"
    # shellcheck source=scripts/wine-env.sh
    source scripts/wine-env.sh || return 1
    # Ours again (they end the current step too); the session's EXIT trap stays.
    set_traps
}

if ! step "install dependencies" bash scripts/install-deps.sh; then
    print_summary
    exit 1
fi

if step "native: configure" cmake --preset native &&
    step "native: build" cmake --build --preset native --parallel "${jobs}"; then
    step "native: unit tests (ASan/UBSan)" ctest --preset native --timeout 900 || true
else
    skip "native: unit tests (ASan/UBSan)"
fi

if step "mingw: configure" cmake --preset mingw &&
    step "mingw: build" cmake --build --preset mingw --parallel "${jobs}"; then
    # Sourced here, not in a subshell: the session lives until this script exits.
    if step "wine: session (Xvfb, prefix, wineserver)" start_wine_session; then
        step "mingw: unit, adapter and e2e tests under Wine" \
            ctest --preset mingw --timeout 900 || true
    else
        skip "mingw: unit, adapter and e2e tests under Wine"
    fi
else
    skip "wine: session (Xvfb, prefix, wineserver)"
    skip "mingw: unit, adapter and e2e tests under Wine"
fi

print_summary
exit "${failed}"
