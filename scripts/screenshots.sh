#!/usr/bin/env bash
# Makes the README's screenshots in docs/screenshots/: Mirelka under Wine, headless, with
# two applications registered and two modes ticked, driven from outside like a user would.
#   tray-menu.png          the icon's menu with the 解像度変更 submenu open
#   launched.png           the demo program launched from it, under 800x600 (the desktop
#                          was 1024x768), showing the mode and the folder it runs in
#   settings-apps.png      the settings window's アプリケーション設定 tab, an application chosen
#   settings-modes.png     its 基本設定 tab, with the ticked modes
# Uses a throw-away Wine prefix and its own Xvfb; builds what it needs with the mingw preset.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$(pwd)"
build="${root}/build/mingw"
out="${root}/docs/screenshots"

bash scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target Mirelka mirelka_demo mirelka_demo_driver \
    --parallel "$(nproc 2>/dev/null || echo 2)"

export MIRELKA_HEADLESS=1
unset MIRELKA_WINEPREFIX
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh

# ---- a folder like a user's: Mirelka.exe, two shortcuts, the data files ------------------

# In the prefix's C: drive, for short paths in the pictures.
folder="${WINEPREFIX}/drive_c/Mirelka"
mkdir -p "${folder}/デモ"
cp "${build}/src/win32/Mirelka.exe" "${folder}/"
cp "${build}/demo/MirelkaDemo.exe" "${folder}/デモ/"
win_path() { mirelka_run_without_fds winepath -w "$1" 2>/dev/null; }
make_link() {
    mirelka_run_without_fds wine "${folder}/デモ/MirelkaDemo.exe" /make-shortcut "$@" \
        </dev/null 2>/dev/null
}
demo_link="$(win_path "${folder}/MirelkaDemo.lnk")"
notepad_link="$(win_path "${folder}/メモ帳.lnk")"
make_link "${demo_link}"
make_link "${notepad_link}" 'C:\windows\notepad.exe' 'C:\windows'
{
    printf '%s\t%s\t800\t600\t32\t60\t1\r\n' "Mirelka デモ" "${demo_link}"
    printf '%s\t%s\t640\t480\t32\t60\t0\r\n' "メモ帳" "${notepad_link}"
} | iconv -f UTF-8 -t CP932 >"${folder}/AppData.txt"
printf '%s\t%s\t%s\t%s\r\n' 800 600 32 60 640 480 32 60 >"${folder}/ScreenMode.txt"

# ---- drive it ----------------------------------------------------------------------------

driver() {
    mirelka_run_without_fds wine "${build}/demo/MirelkaDemoDriver.exe" "$@" </dev/null 2>/dev/null
}
fail() {
    echo "screenshots: failed: $1" >&2
    import -display "${DISPLAY}" -window root "${MIRELKA_WINE_SESSION}/failed.png" 2>/dev/null &&
        cp "${MIRELKA_WINE_SESSION}/failed.png" "${root}/build/screenshots-failed.png" &&
        echo "screenshots: the screen then: build/screenshots-failed.png" >&2
    cat "${MIRELKA_WINE_SESSION}/mirelka.log" >&2 || true
    exit 1
}
# shot NAME X Y WIDTH HEIGHT [MARGIN]: that part of the screen, widened by MARGIN pixels
# where the screen allows (the Wine desktop's top left corner is the screen's).
shot() {
    local name="$1" x="$2" y="$3" width="$4" height="$5" margin="${6:-0}"
    local screen_width screen_height
    read -r screen_width screen_height _ _ <<<"$(driver mode)"
    local left=$((x - margin < 0 ? 0 : x - margin))
    local top=$((y - margin < 0 ? 0 : y - margin))
    local right=$((x + width + margin > screen_width ? screen_width : x + width + margin))
    local bottom=$((y + height + margin > screen_height ? screen_height : y + height + margin))
    sleep 0.3
    import -display "${DISPLAY}" -window root \
        -crop "$((right - left))x$((bottom - top))+${left}+${top}" +repage -strip \
        "${out}/${name}"
    echo "${out}/${name}"
}

mkdir -p "${out}"
(
    mirelka_close_fds
    cd "${folder}"
    exec wine Mirelka.exe
) </dev/null >"${MIRELKA_WINE_SESSION}/mirelka.log" 2>&1 &
mirelka_pid=$!

driver resident || fail "Mirelka did not settle in the notification area"

# The menu: applications first, then 解像度変更 (separators are skipped) and its submenu.
driver tray || fail "the icon's menu did not open"
driver menus 1 >/dev/null || fail "the icon's menu did not open"
driver key down down down right || fail "the submenu did not open"
rect="$(driver menus 2)" || fail "the submenu did not open"
read -r x y width height <<<"${rect}"
# Down to the bottom right corner, so that the icon under the menu shows too.
read -r screen_width screen_height _ _ <<<"$(driver mode)"
shot tray-menu.png "${x}" "${y}" "$((screen_width - x))" "$((screen_height - y))" 8
driver key escape escape || true
driver menus 0 >/dev/null || fail "the menu did not close"

# Launching: the display switches, the program runs, and the mode comes back after it.
read -r start_width start_height start_bits start_frequency <<<"$(driver mode)"
driver tray || fail "the icon's menu did not open"
driver menus 1 >/dev/null || fail "the icon's menu did not open"
driver key down return || fail "choosing the demo failed"
driver window MirelkaDemo "Mirelka demo / デモ" >/dev/null || fail "the demo did not show"
driver wait-mode 800 600 32 60 || fail "the display did not switch to 800x600"
shot launched.png 0 0 800 600
driver close MirelkaDemo "Mirelka demo / デモ" || fail "the demo did not close"
driver wait-mode "${start_width}" "${start_height}" "${start_bits}" "${start_frequency}" ||
    fail "the display mode did not come back"

# The settings window, as its menu command opens it: on the application tab.
driver command 32901 || fail "the settings command failed"
driver dialog >/dev/null || fail "the settings window did not show"
driver title 0 || fail "choosing an application failed"
rect="$(driver dialog)" || fail "the settings window did not show"
read -r x y width height <<<"${rect}"
shot settings-apps.png "${x}" "${y}" "${width}" "${height}"

driver tab 1 || fail "the 基本設定 tab did not open"
rect="$(driver dialog)" || fail "the settings window did not show"
read -r x y width height <<<"${rect}"
shot settings-modes.png "${x}" "${y}" "${width}" "${height}"

driver command 32900 || fail "the exit command failed"
driver ended || fail "Mirelka did not end"
wait "${mirelka_pid}" || true
