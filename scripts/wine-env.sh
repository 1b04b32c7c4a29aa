# shellcheck shell=bash
# Prepares a Wine session for Mirelka: a display, a prefix made under the Japanese locale
# with Wine's virtual desktop on for every process, and a running wineserver. Source it
# from bash; it exports the environment every later `wine` needs and ends the session
# (wineserver, leftover Wine processes, Xvfb, a throw-away prefix) when the shell exits.
#
#   MIRELKA_HEADLESS=1       start an Xvfb even when DISPLAY is set
#   MIRELKA_WINEPREFIX=DIR   use (and make, if needed) this prefix and keep it afterwards;
#                            without it a throw-away prefix is made for this session
#
# It sets the shell's EXIT, INT and TERM traps; a caller that needs its own calls
# mirelka_wine_cleanup (idempotent) from them. Start every Wine program with
# `mirelka_run_without_fds CMD...`, which runs CMD holding no file descriptor beyond 0-2, or,
# to have the program's own PID in $!, with `( mirelka_close_fds; exec CMD... ) &`.

if [ -n "${MIRELKA_WINE_SESSION:-}" ] && [ -d "${MIRELKA_WINE_SESSION}" ]; then
    # Sourced twice in one shell: the session is there already.
    return 0
fi

# Wine's server and its services outlive the `wine` that started them, and keep every fd
# it had: a pipe held there blocks whoever reads it, a lock stays taken. Give them none.
mirelka_close_fds() {
    local fd_path fd
    for fd_path in /proc/"${BASHPID}"/fd/*; do
        fd="${fd_path##*/}"
        if [ "${fd}" -gt 2 ] 2>/dev/null; then
            eval "exec ${fd}>&-" 2>/dev/null || true
        fi
    done
}

mirelka_run_without_fds() {
    (
        mirelka_close_fds
        exec "$@"
    )
}

# PIDs of Wine processes (loaders, preloaders, wineserver) working on this session's prefix.
_mirelka_wine_pids() {
    local environ pid exe
    for environ in /proc/[0-9]*/environ; do
        pid="${environ#/proc/}"
        pid="${pid%/environ}"
        exe="$(readlink "/proc/${pid}/exe" 2>/dev/null)" || continue
        case "${exe##*/}" in
            wine | wine64 | wine-preloader | wine64-preloader | wineserver | wineserver64) ;;
            *) continue ;;
        esac
        if grep -qzxF "WINEPREFIX=${MIRELKA_WINE_PREFIX_DIR}" "${environ}" 2>/dev/null; then
            echo "${pid}"
        fi
    done
}

_mirelka_stop_wineserver() {
    mirelka_run_without_fds timeout 30 wineserver -k >/dev/null 2>&1 || true
    mirelka_run_without_fds timeout 30 wineserver -w >/dev/null 2>&1 || true
    # wineserver -k can leave services.exe, winedevice.exe and friends behind.
    local pid
    for pid in $(_mirelka_wine_pids); do
        kill -KILL "${pid}" 2>/dev/null || true
    done
}

mirelka_wine_cleanup() {
    local status=$?
    if [ -z "${MIRELKA_WINE_SESSION:-}" ]; then
        return "${status}"
    fi
    # Only a prefix this session chose: never one the caller's environment pointed at.
    if [ -n "${MIRELKA_WINE_PREFIX_DIR:-}" ] && [ -d "${MIRELKA_WINE_PREFIX_DIR}" ]; then
        _mirelka_stop_wineserver
        if [ "${MIRELKA_WINE_KEEP_PREFIX:-1}" != 1 ]; then
            # Debian's wineserver keeps its socket in a temporary folder named in the prefix.
            local server_dir=""
            if [ -f "${MIRELKA_WINE_PREFIX_DIR}/wineserver" ]; then
                server_dir="$(cat "${MIRELKA_WINE_PREFIX_DIR}/wineserver" 2>/dev/null || true)"
            fi
            case "${server_dir}" in
                wine-??????) rm -rf "${TMPDIR:-/tmp}/${server_dir}" ;;
            esac
            rm -rf "${MIRELKA_WINE_PREFIX_DIR}"
        fi
    fi
    if [ -n "${MIRELKA_XVFB_PID:-}" ]; then
        kill "${MIRELKA_XVFB_PID}" 2>/dev/null || true
        wait "${MIRELKA_XVFB_PID}" 2>/dev/null || true
        MIRELKA_XVFB_PID=""
    fi
    rm -rf "${MIRELKA_WINE_SESSION}"
    MIRELKA_WINE_SESSION=""
    return "${status}"
}

_mirelka_start_xvfb() {
    local fd_file="${MIRELKA_WINE_SESSION}/xvfb-display"
    # -displayfd: Xvfb itself picks a free display number, so parallel runs cannot collide.
    (
        mirelka_close_fds
        exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp
    ) </dev/null >"${fd_file}" 2>"${MIRELKA_WINE_SESSION}/xvfb.log" &
    MIRELKA_XVFB_PID=$!
    local tries=0
    while ! grep -q '^[0-9]' "${fd_file}" 2>/dev/null; do
        if ! kill -0 "${MIRELKA_XVFB_PID}" 2>/dev/null || [ "${tries}" -ge 100 ]; then
            echo "wine-env: Xvfb did not start:" >&2
            cat "${MIRELKA_WINE_SESSION}/xvfb.log" >&2 || true
            return 1
        fi
        tries=$((tries + 1))
        sleep 0.1
    done
    DISPLAY=":$(head -n 1 "${fd_file}")"
    export DISPLAY
}

# What a prefix depends on: one made by another Wine, or before wine32 came or went, breaks.
_mirelka_prefix_stamp() {
    local wine32=no
    if [ -x /usr/lib/wine/wine ]; then wine32=yes; fi
    echo "$(wine --version 2>/dev/null) wine32=${wine32} LC_ALL=${LC_ALL} desktop=1024x768"
}

_mirelka_make_prefix() {
    local log="${MIRELKA_WINE_SESSION}/wineboot.log"
    local stamp_file="${WINEPREFIX}/.mirelka-prefix"
    local stamp
    stamp="$(_mirelka_prefix_stamp)"
    if [ -f "${stamp_file}" ] && [ "$(cat "${stamp_file}")" = "${stamp}" ]; then
        return 0
    fi
    if [ -f "${stamp_file}" ]; then
        echo "wine-env: remaking ${WINEPREFIX} (made by another setup, or not finished)" >&2
        _mirelka_stop_wineserver
        rm -rf "${WINEPREFIX}"
    elif [ -e "${WINEPREFIX}/system.reg" ]; then
        # Somebody else's prefix: not ours to change or remove.
        echo "wine-env: ${WINEPREFIX} is a Wine prefix made by something else; choose another" >&2
        return 1
    fi
    mkdir -p "${WINEPREFIX}" || return 1
    # Marks the prefix as ours from the start, so that an interrupted start is remade.
    echo "incomplete" >"${stamp_file}" || return 1
    local key='HKCU\Software\Wine\Explorer'
    # Checked one by one: the caller may run this where errexit is off.
    if ! mirelka_run_without_fds timeout 300 wineboot -i </dev/null >"${log}" 2>&1 ||
        ! mirelka_run_without_fds wine reg add "${key}" /v Desktop /d Default /f \
            </dev/null >>"${log}" 2>&1 ||
        ! mirelka_run_without_fds wine reg add "${key}\\Desktops" /v Default /d 1024x768 /f \
            </dev/null >>"${log}" 2>&1; then
        echo "wine-env: making the prefix ${WINEPREFIX} failed:" >&2
        cat "${log}" >&2
        return 1
    fi
    # The desktop settings are read when a process starts: restart the server to have
    # them saved and in force for everything that follows.
    _mirelka_stop_wineserver
    echo "${stamp}" >"${stamp_file}" || return 1
}

_mirelka_wine_session() {
    MIRELKA_WINE_SESSION="$(mktemp -d "${TMPDIR:-/tmp}/mirelka-wine.XXXXXX")" || return 1
    export MIRELKA_WINE_SESSION
    MIRELKA_XVFB_PID=""
    MIRELKA_WINE_PREFIX_DIR=""
    MIRELKA_WINE_KEEP_PREFIX=1
    trap 'mirelka_wine_cleanup' EXIT
    trap 'mirelka_wine_cleanup; trap - INT; kill -INT $$' INT
    trap 'mirelka_wine_cleanup; trap - TERM; kill -TERM $$' TERM

    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # Code page 932, and Japanese fonts in the prefix: it must be made under this locale.
    export LC_ALL=ja_JP.UTF-8

    if [ -z "${DISPLAY:-}" ] || [ "${MIRELKA_HEADLESS:-0}" = 1 ]; then
        _mirelka_start_xvfb || return 1
    fi

    if [ -n "${MIRELKA_WINEPREFIX:-}" ]; then
        mkdir -p "${MIRELKA_WINEPREFIX}" || return 1
        MIRELKA_WINE_PREFIX_DIR="$(cd "${MIRELKA_WINEPREFIX}" && pwd)" || return 1
    else
        MIRELKA_WINE_PREFIX_DIR="${MIRELKA_WINE_SESSION}/prefix"
        MIRELKA_WINE_KEEP_PREFIX=0
    fi
    export WINEPREFIX="${MIRELKA_WINE_PREFIX_DIR}"
    _mirelka_make_prefix || return 1
    # Caption buttons are Marlett glyphs: without the font they show as letters ("r" for
    # the close button). Debian's Wine reads fonts from the prefix and through fontconfig,
    # not from its own folder, where fonts-wine puts Marlett.
    local marlett=/usr/share/wine/fonts/marlett.ttf
    local fonts="${WINEPREFIX}/drive_c/windows/Fonts"
    if [ -f "${marlett}" ] && [ ! -f "${fonts}/marlett.ttf" ]; then
        cp "${marlett}" "${fonts}/" || return 1
    fi

    # One server for the whole session: started here, no program started later carries the
    # caller's pipes into it, and each start skips the server's start-up.
    if ! mirelka_run_without_fds wineserver -p </dev/null >/dev/null 2>&1; then
        echo "wine-env: wineserver did not start" >&2
        return 1
    fi
    # The session's first window starts the desktop process; let that happen here too.
    mirelka_run_without_fds wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
}

if ! _mirelka_wine_session; then
    mirelka_wine_cleanup || true
    return 1
fi
