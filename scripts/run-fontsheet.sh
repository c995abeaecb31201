#!/bin/sh
# Runs the font sheet tool: in a window when a display answers, otherwise headless with a
# key script. Usage: sh scripts/run-fontsheet.sh <path of fontsheet>
#
# Headless, the default script waits two passes (the first pass of the list records no
# fonts) and presses Return, which writes the first font's sheet. Another font is picked
# with VANTOR_KEYS, e.g. VANTOR_KEYS="- Down Down Return" for the font of index 2.
set -u

tool=${1:?usage: sh scripts/run-fontsheet.sh <path of fontsheet>}
if [ ! -x "$tool" ]; then
    echo "run.sh: $tool is not an executable" >&2
    exit 2
fi

# True when an X or Wayland display is named and answers.
display_answers() {
    [ -n "${WAYLAND_DISPLAY:-}" ] && return 0
    [ -n "${DISPLAY:-}" ] || return 1
    if command -v xdpyinfo >/dev/null 2>&1; then
        xdpyinfo >/dev/null 2>&1
        return
    fi
    case "$DISPLAY" in
        :*) number=${DISPLAY#:}; [ -S "/tmp/.X11-unix/X${number%%.*}" ] ;;
        *) return 0 ;;  # a remote display: let the tool find out
    esac
}

# VANTOR_VIDEO, when set, decides; otherwise a display that answers does.
case "${VANTOR_VIDEO:-}" in
    sdl|window) windowed=yes ;;
    headless) windowed=no ;;
    *) if display_answers; then windowed=yes; else windowed=no; fi ;;
esac

if [ "$windowed" = yes ]; then
    "$tool"
else
    VANTOR_VIDEO=headless VANTOR_KEYS="${VANTOR_KEYS:-- - Return}" "$tool"
fi
status=$?

# The tool ends with 0 only after it wrote the sheet, and with 1 after Escape or an error.
if [ "$status" -eq 0 ] && [ -f Font.bmp ]; then
    echo "Font.bmp written to $(pwd)/Font.bmp"
else
    echo "fontsheet ended with status $status; no Font.bmp was written"
fi
exit "$status"
