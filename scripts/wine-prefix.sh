# Wine for the Windows programs on a machine without a window manager; sourced by the scripts.

# nexo_wine_prefix DIR: Wine's prefix in DIR (created on the first start, 15-20 s), set up for
# dialogs without a window manager, and one Wine server kept for every later start.
nexo_wine_prefix() {
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  # No offer to install Mono or Gecko: nothing here needs them, and CI has nobody to answer.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  # A server a former run left for this prefix would keep the waits below from ever ending.
  wineserver -k 2>/dev/null || true
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # Without a window manager every dialog close would wait for one; and Debian's Wine does not
  # load its own fonts by itself (the dialogs' fonts would fall back to wider ones).
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="N"\n' >"$WINEPREFIX/nexo-x11.reg"
  wine regedit /S "$(winepath -w "$WINEPREFIX/nexo-x11.reg" 2>/dev/null)" >/dev/null 2>&1
  cp -u /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  wineserver -w
  wineserver -p
}

# nexo_xvfb_start NUMBER: a virtual X server on display :NUMBER of its own, as DISPLAY;
# nexo_xvfb_stop ends it by its process id.
NEXO_XVFB_PID=
nexo_xvfb_start() {
  local number=$1 i
  Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  NEXO_XVFB_PID=$!
  for i in $(seq 100); do
    [[ -e /tmp/.X11-unix/X$number ]] && break
    if ! kill -0 "$NEXO_XVFB_PID" 2>/dev/null; then
      echo "Xvfb on :$number did not start (is the display taken?)" >&2
      NEXO_XVFB_PID=
      return 1
    fi
    sleep 0.1
  done
  export DISPLAY=":$number"
}
nexo_xvfb_stop() {
  if [[ -n $NEXO_XVFB_PID ]]; then
    kill -TERM "$NEXO_XVFB_PID" 2>/dev/null || true
    wait "$NEXO_XVFB_PID" 2>/dev/null || true
    NEXO_XVFB_PID=
  fi
}
