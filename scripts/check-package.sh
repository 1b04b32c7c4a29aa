#!/usr/bin/env bash
# Builds the ZIP package from build/mingw and checks it: exactly Mirelka.exe, README.md and
# LICENSE, and the Mirelka.exe in it starts under Wine from an unzipped folder holding
# nothing else (its dialog shows). Needs a Wine session (scripts/wine-env.sh) and DISPLAY.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

(cd build/mingw && cpack >/dev/null)
zip="$(ls -t build/mingw/package/Mirelka-*-win64.zip | head -n 1)"
echo "package: ${zip}"

listing="$(unzip -Z1 "${zip}" | grep -v '/$' | sed 's#^[^/]*/##' | sort | tr '\n' ' ')"
if [ "${listing}" != "LICENSE Mirelka.exe README.md " ]; then
    echo "the package holds: ${listing}" >&2
    exit 1
fi

folder="$(mktemp -d)"
trap 'rm -rf "${folder}"' EXIT
unzip -q "${zip}" -d "${folder}"
app="$(dirname "$(find "${folder}" -name Mirelka.exe)")"

# Started from its own folder with no data files, it stays on screen on its mode tab.
(cd "${app}" && exec wine Mirelka.exe >/dev/null 2>&1) &
pid=$!
shown=0
for _ in $(seq 1 100); do
    if xdotool search --onlyvisible --name '^Mirelka$' >/dev/null 2>&1; then
        shown=1
        break
    fi
    sleep 0.2
done
kill "${pid}" 2>/dev/null || true
wine taskkill /im Mirelka.exe /f >/dev/null 2>&1 || true
wait "${pid}" 2>/dev/null || true
if [ "${shown}" -ne 1 ]; then
    echo "Mirelka.exe from the package showed no window" >&2
    exit 1
fi
echo "Mirelka.exe from the package starts and shows its window"
