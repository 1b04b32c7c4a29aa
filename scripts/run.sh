#!/usr/bin/env bash
# Builds Mirelka.exe and starts it under Wine from build/run/ (its data files land there),
# in a prefix kept in build/wineprefix (Japanese locale, Wine's virtual desktop on).
#
# With a display: Mirelka runs in a window and this waits until it ends.
# Without one (or with MIRELKA_HEADLESS=1): Mirelka runs under Xvfb; once its window shows, a
# screenshot is saved in build/run/ and its path printed, then Mirelka is ended.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$(pwd)"
run_dir="${root}/build/run"
exe="${root}/build/mingw/src/win32/Mirelka.exe"

bash scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target Mirelka --parallel "$(nproc 2>/dev/null || echo 2)"

mkdir -p "${run_dir}"
# Two runs at once would share the prefix, and the first to finish would end the other's
# Wine. The lock's fd is closed in every Wine process (mirelka_run_without_fds).
exec 9>"${run_dir}/.run.lock"
if ! flock -n 9; then
    echo "run: another scripts/run.sh is running (lock ${run_dir}/.run.lock)" >&2
    exit 1
fi
cp "${exe}" "${run_dir}/Mirelka.exe"

headless=0
if [ -z "${DISPLAY:-}" ] || [ "${MIRELKA_HEADLESS:-0}" = 1 ]; then
    headless=1
fi
export MIRELKA_WINEPREFIX="${root}/build/wineprefix"
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
cd "${run_dir}"

if [ "${headless}" -eq 0 ]; then
    echo "run: Mirelka is running in ${run_dir} (DISPLAY=${DISPLAY}); close it to return"
    status=0
    mirelka_run_without_fds wine Mirelka.exe </dev/null || status=$?
    exit "${status}"
fi

log="${run_dir}/wine.log"
screenshot="${run_dir}/screenshot.png"
rm -f "${screenshot}"
(
    mirelka_close_fds
    exec wine Mirelka.exe
) </dev/null >"${log}" 2>&1 &
mirelka_pid=$!

# Its dialog is an X window named "Mirelka" on Xvfb (inside Wine's desktop window). X knows
# nothing of the Windows class; the end-to-end tests check that.
window=""
for _ in $(seq 1 300); do
    if ! kill -0 "${mirelka_pid}" 2>/dev/null; then
        echo "run: Mirelka ended before its window showed; wine said:" >&2
        cat "${log}" >&2
        exit 1
    fi
    window="$(xdotool search --onlyvisible --name '^Mirelka$' 2>/dev/null | head -n 1 || true)"
    if [ -n "${window}" ]; then
        break
    fi
    sleep 0.1
done
if [ -z "${window}" ]; then
    echo "run: no Mirelka window after 30 s" >&2
    kill "${mirelka_pid}" 2>/dev/null || true
    exit 1
fi
# The window is mapped before it has painted everything.
sleep 1
import -display "${DISPLAY}" -window root "${screenshot}"
echo "run: screenshot of Mirelka saved:"
echo "${screenshot}"

kill "${mirelka_pid}" 2>/dev/null || true
wait "${mirelka_pid}" 2>/dev/null || true
