# Sourced by the scripts that run Windows programs: a virtual X display and a
# Wine prefix of our own under build/, started and stopped cleanly.
#   wine_session_start   sets DISPLAY, WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES
#   wine_session_stop    ends the prefix's Wine processes and the display
# Every wine call here has a timeout: a hung window never exits on its own.

wine_session_prefix() { echo "$PWD/build/wineprefix"; }

wine_session_start() {
  local state=$PWD/build/wine-session
  # Wine keeps a little in the home folder; CI may start without HOME.
  export HOME=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
  mkdir -p "$state"
  rm -f "$state/display"
  # Xvfb picks a free display itself and writes its number to fd 5.
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$state/display" \
    >"$state/xvfb.log" 2>&1 &
  WINE_SESSION_XVFB=$!
  local i
  for i in $(seq 100); do
    [ -s "$state/display" ] && break
    sleep 0.1
  done
  [ -s "$state/display" ] || { echo "Xvfb did not start" >&2; cat "$state/xvfb.log" >&2; return 1; }
  export DISPLAY=:$(cat "$state/display")
  for i in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

  export WINEPREFIX
  WINEPREFIX=$(wine_session_prefix)
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/.vorlund-ready" ]; then
    echo "=== creating the Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    timeout 300 wineboot --init
    timeout 120 wineserver -w
    # Every window inside one virtual desktop, so windows have title bars
    # without a window manager; the caption buttons need the Marlett font.
    timeout 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
    timeout 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f \
      >/dev/null
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    timeout 120 wineserver -w
    touch "$WINEPREFIX/.vorlund-ready"
  fi
}

wine_session_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    timeout 30 wineserver -k 2>/dev/null || true
    timeout 30 wineserver -w 2>/dev/null || true
  fi
  if [ -n "${WINE_SESSION_XVFB:-}" ]; then
    kill "$WINE_SESSION_XVFB" 2>/dev/null || true
    wait "$WINE_SESSION_XVFB" 2>/dev/null || true
    WINE_SESSION_XVFB=
  fi
}
