#!/usr/bin/env bash
# Builds Mirelka.exe and a demo program, prepares a demo folder in build/demo/ and starts
# Mirelka there under Wine, in a prefix kept in build/wineprefix (Japanese locale, Wine's
# virtual desktop of 1024x768 on).
#
# The demo folder holds Mirelka.exe, its two data files, made afresh on every run, and a
# shortcut to the demo program, registered as "Mirelka デモ" under 800x600 with the mode
# switched back afterwards. The demo program's window shows the mode and folder it runs in.
#
# With a display: Mirelka runs until you end it from its icon's menu; instructions are printed.
# Without one (or with MIRELKA_HEADLESS=1): under Xvfb, this opens the icon's menu, launches
# the demo, closes it and ends Mirelka, saving a screenshot of each stage in
# build/demo/screenshots/ and printing their paths.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$(pwd)"
build="${root}/build/mingw"
demo="${root}/build/demo"
started="${SECONDS}"

bash scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target Mirelka mirelka_demo mirelka_demo_driver \
    --parallel "$(nproc 2>/dev/null || echo 2)"

# Two runs at once would share the prefix, and the first to finish would end the other's
# Wine. The lock's fd is closed in every Wine process (mirelka_run_without_fds).
exec 9>"${root}/build/demo.lock"
if ! flock -n 9; then
    echo "run: another scripts/run.sh is running (lock build/demo.lock)" >&2
    exit 1
fi

headless=0
if [ -z "${DISPLAY:-}" ] || [ "${MIRELKA_HEADLESS:-0}" = 1 ]; then
    headless=1
fi
export MIRELKA_WINEPREFIX="${root}/build/wineprefix"
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh

# ---- the demo folder -------------------------------------------------------------------

title="Mirelka デモ"
app_dir="${demo}/デモ"
rm -rf "${demo}"
mkdir -p "${app_dir}"
cp "${build}/src/win32/Mirelka.exe" "${demo}/Mirelka.exe"
cp "${build}/demo/MirelkaDemo.exe" "${app_dir}/MirelkaDemo.exe"

link="$(mirelka_run_without_fds winepath -w "${demo}/MirelkaDemo.lnk" 2>/dev/null)"
mirelka_run_without_fds wine "${app_dir}/MirelkaDemo.exe" /make-shortcut "${link}" \
    </dev/null 2>/dev/null
# The data files: code page 932, TAB between fields, CR LF after each line.
printf '%s\t%s\t800\t600\t32\t60\t1\r\n' "${title}" "${link}" |
    iconv -f UTF-8 -t CP932 >"${demo}/AppData.txt"
printf '%s\t%s\t%s\t%s\r\n' 1024 768 32 60 800 600 32 60 640 480 32 60 >"${demo}/ScreenMode.txt"

# Starts Mirelka from the demo folder, with its output in wine.log; its PID in mirelka_pid.
start_mirelka() {
    (
        mirelka_close_fds
        cd "${demo}"
        exec wine Mirelka.exe
    ) </dev/null >"${demo}/wine.log" 2>&1 &
    mirelka_pid=$!
}

if [ "${headless}" -eq 0 ]; then
    start_mirelka
    cat <<EOF
run: Mirelka is running in ${demo}, in Wine's desktop window (1024×768) on ${DISPLAY}.
  1. Right-click Mirelka's icon (a small monitor) at the right end of the desktop's task bar.
  2. Choose "${title}": the desktop switches to 800×600 and the demo window says so.
  3. Close the demo window: the desktop goes back to 1024×768.
  The menu's 解像度変更 switches the mode directly; 設定 opens the settings window;
  常駐終了 ends Mirelka, and this script with it (so does Ctrl-C).
EOF
    status=0
    wait "${mirelka_pid}" || status=$?
    exit "${status}"
fi

# ---- headless: play the demo through, with a screenshot of each stage --------------------

shots="${demo}/screenshots"
mkdir -p "${shots}"
driver() {
    mirelka_run_without_fds wine "${build}/demo/MirelkaDemoDriver.exe" "$@" </dev/null 2>/dev/null
}
# Ends the run, keeping the screen as it was when the stage failed.
fail() {
    echo "run: failed: $1" >&2
    import -display "${DISPLAY}" -window root "${shots}/failed.png" 2>/dev/null || true
    echo "run: the screen at that moment: ${shots}/failed.png; Mirelka's output:" >&2
    cat "${demo}/wine.log" >&2 || true
    exit 1
}
# stage WHAT CMD...: CMD does what WHAT says, or the run ends.
stage() {
    local what="$1"
    shift
    "$@" || fail "${what}"
}
start_mode="$(driver mode)" || fail "the display mode could not be read"
read -r desk_width desk_height desk_bits desk_frequency <<<"${start_mode}"
# A font for the captions: the Japanese one Wine uses too; none, no captions.
caption_font="$(fc-match -f '%{file}' 'IPAGothic:lang=ja' 2>/dev/null || true)"
# shot NAME CAPTION: the desktop at its size before the demo (a smaller mode leaves a black
# margin), the caption in a band below.
shot() {
    local file="${shots}/$1"
    import -display "${DISPLAY}" -window root -crop "${desk_width}x${desk_height}+0+0" +repage \
        -strip "${file}"
    if [ -f "${caption_font}" ]; then
        convert "${file}" -background '#202020' -gravity south -splice 0x36 -font "${caption_font}" \
            -pointsize 20 -fill white -annotate +0+7 "$2" "${file}" || true
    fi
}
# The registry mode as Mirelka's menu labels it.
mode_now() {
    local width height bits frequency
    read -r width height bits frequency <<<"$(driver mode || true)"
    echo "${width:-?}×${height:-?}×${bits:-?} ${frequency:-?}Hz"
}

echo "run: display mode at the start: $(mode_now)"
start_mirelka
stage "Mirelka did not settle in the notification area" driver resident
stage "the icon's menu did not open" driver tray
stage "the icon's menu did not open" driver menus 1 >/dev/null
stage "the demo's menu item could not be selected" driver key down
shot 1-menu.png "1. The icon's menu, with ${title} (800×600) selected"
echo "run: the icon's menu is open, with \"${title}\" at its top"

stage "choosing the demo failed" driver key return
stage "the demo window did not show" driver window MirelkaDemo "Mirelka demo / デモ" >/dev/null
stage "the display mode did not change to 800×600" driver wait-mode 800 600 32 60
sleep 0.5
shot 2-demo-running.png "2. The demo runs: display mode $(mode_now)"
echo "run: the demo runs; display mode now $(mode_now)"

stage "the demo window did not close" driver close MirelkaDemo "Mirelka demo / デモ"
stage "the demo window did not close" driver gone MirelkaDemo "Mirelka demo / デモ"
stage "the display mode did not come back" \
    driver wait-mode "${desk_width}" "${desk_height}" "${desk_bits}" "${desk_frequency}"
sleep 0.5
shot 3-mode-restored.png "3. The demo closed: display mode back to $(mode_now)"
echo "run: the demo closed; display mode back to $(mode_now)"

stage "Mirelka did not end from its menu's 常駐終了" driver command 32900
stage "Mirelka did not end from its menu's 常駐終了" driver ended
wait "${mirelka_pid}" || true
echo "run: Mirelka ended. Screenshots ($((SECONDS - started)) s in all):"
echo "${shots}/1-menu.png"
echo "${shots}/2-demo-running.png"
echo "${shots}/3-mode-restored.png"
