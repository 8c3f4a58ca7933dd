# Sourced by the Wine runner, the start script and the end-to-end kit.
# wine_env_setup BUILD_DIR prepares everything a Windows program needs to run here:
#   a virtual display when none is usable, one Wine prefix inside the build folder
#   (created once, with CJK fonts, a fixed 96-dpi setting and Wine-drawn window frames),
#   and a persistent wineserver so that each program start costs tens of milliseconds.

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)

_wine_env_display_ok() {
  [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

# _wine_env_is_xvfb PID N: that process is the Xvfb of display :N.
_wine_env_is_xvfb() {
  [ -n "$1" ] && tr '\0' ' ' <"/proc/$1/cmdline" 2>/dev/null | grep -q "^Xvfb :$2 "
}

wine_env_display() {
  local build=$1
  _wine_env_display_ok && return 0
  # The display this folder started, and beside it the process id of its server: the
  # one process wine_env_stop ends.
  local rec="$build/xvfb.display" pidrec="$build/xvfb.pid"
  if [ -f "$rec" ]; then
    export DISPLAY=$(cat "$rec")
    _wine_env_display_ok && return 0
  fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    setsid Xvfb ":$n" -screen 0 1024x768x24 -dpi 96 -nolisten tcp </dev/null >/dev/null 2>&1 &
    local pid=$! i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.05
    done
    export DISPLAY=":$n"
    if _wine_env_display_ok; then
      # setsid runs the server under its own id unless it had to fork (a caller with job
      # control); then the display's lock file names the server.
      _wine_env_is_xvfb "$pid" "$n" || pid=$(tr -dc 0-9 <"/tmp/.X$n-lock" 2>/dev/null)
      echo "$DISPLAY" > "$rec"
      echo "$pid" > "$pidrec"
      return 0
    fi
  done
  echo "wine-env: could not start a virtual display (Xvfb)" >&2
  return 1
}

_wine_env_prefix() {
  local build=$1
  [ -f "$WINEPREFIX/.vpnclient-ready" ] && return 0
  mkdir -p "$WINEPREFIX"
  "$WINE64" wineboot -i </dev/null >/dev/null 2>&1 9>&-
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # Wine-drawn frames without a window manager, 96 dpi, and the Chinese font names of
  # the layouts mapped onto the installed CJK font.
  local reg="$WINEPREFIX/vpnclient-setup.reg"
  printf '%s\r\n' 'REGEDIT4' '' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '"Decorated"="Y"' '' \
    '[HKEY_CURRENT_USER\Control Panel\Desktop]' '"LogPixels"=dword:00000060' '' \
    '[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts]' '"LogPixels"=dword:00000060' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
    '"SimSun"="WenQuanYi Micro Hei"' '"SimHei"="WenQuanYi Micro Hei"' \
    '"NSimSun"="WenQuanYi Micro Hei"' \
    '"\u5b8b\u4f53"="WenQuanYi Micro Hei"' '"\u9ed1\u4f53"="WenQuanYi Micro Hei"' \
    > "$reg.in"
  # regedit wants the Chinese names as real characters: write them in UTF-16.
  python3 - "$reg.in" "$reg" <<'PY'
import sys
src = open(sys.argv[1], encoding='ascii').read()
src = src.encode('ascii').decode('unicode_escape').replace('REGEDIT4', 'Windows Registry Editor Version 5.00')
open(sys.argv[2], 'wb').write(b'\xff\xfe' + src.encode('utf-16-le'))
PY
  "$WINE64" regedit /S "$reg" </dev/null >/dev/null 2>&1 9>&-
  "$WINESERVER" -w
  touch "$WINEPREFIX/.vpnclient-ready"
}

wine_env_setup() {
  local build=$1
  mkdir -p "$build"
  export WINEPREFIX="$build/wineprefix"
  export WINEDEBUG=${WINEDEBUG_OVERRIDE:--all}
  export WINEARCH=win64
  : "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
  export WINEDLLOVERRIDES
  # Wine gives its processes the ANSI code page of this locale: the Chinese one (936),
  # like the systems the program is made for, unless a test asks for another one
  # (VPN_WINE_LOCALE=C.UTF-8 gives 1252).
  if [ -n "${VPN_WINE_LOCALE:-}" ]; then
    export LC_ALL=$VPN_WINE_LOCALE
  elif locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
    export LC_ALL=zh_CN.UTF-8
  fi
  wine_env_display "$build" || return 1
  (
    flock 9
    _wine_env_prefix "$build"
    # exit 0: a new persistent server started; warm it so the first test is fast.
    # The servers must not inherit the lock (fd 9): they outlive this block, and a lock
    # they hold would make every later start wait for ever.
    if "$WINESERVER" -p </dev/null >/dev/null 2>&1 9>&-; then
      "$WINE64" cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 9>&-
    fi
  ) 9>"$build/wine.lock"
}

wine_env_stop() {
  local build=$1
  WINEPREFIX="$build/wineprefix" "$WINESERVER" -k 2>/dev/null || true
  if [ -f "$build/xvfb.display" ]; then
    local d pid
    d=$(cat "$build/xvfb.display")
    pid=$(cat "$build/xvfb.pid" 2>/dev/null)
    # Only the server this folder started, and only while that id is still that server:
    # other folders' displays (and other users of the machine) are left alone.
    if _wine_env_is_xvfb "$pid" "${d#:}"; then kill "$pid" 2>/dev/null || true; fi
    rm -f "$build/xvfb.display" "$build/xvfb.pid"
  fi
}
