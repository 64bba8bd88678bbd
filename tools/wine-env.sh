# Sourced by ./test, ./run and the benchmark: an Xvfb display and a
# persistent wineserver with a Wine prefix inside build/, shared by the
# Windows processes that run there.
#
#   zw_wine_prefix <dir> win32|win64    exports WINEPREFIX and friends, makes it once
#   zw_env_start <build-dir> [win32|win64]
#                                       exports DISPLAY, WINEPREFIX, HOME and friends
#   zw_env_stop                         stops what zw_env_start started
#   zw_env_start_displays <n>...        starts displays with prefixes of their own,
#                                       in the background
#   zw_env_wait_displays                waits until those are up
#   zw_env_stop_displays                stops those

zw_env_start() {
  local build=$1 arch=${2:-win32}
  mkdir -p "$build"
  build=$(cd "$build" && pwd)

  export HOME=$build/home
  mkdir -p "$HOME"
  cp "$ZW_ROOT/tools/asoundrc" "$HOME/.asoundrc"
  export ZW_CAPTURE_WAV=/dev/null

  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" \
    >"$build/xvfb.log" 2>&1 &
  ZW_XVFB_PID=$!
  if ! zw_wait_for "$ZW_XVFB_PID" 300 test -s "$fdfile"; then
    echo "wine-env: Xvfb did not start ($build/xvfb.log):" >&2
    tail -n 5 "$build/xvfb.log" >&2
    rm -f "$fdfile"
    return 1
  fi
  export DISPLAY=:$(head -n1 "$fdfile")
  rm -f "$fdfile"

  zw_wine_prefix "$build" "$arch"
  wineserver -p
  ZW_WINESERVER_STARTED=1
  # No window manager runs on this display. Left "managed", Wine waits two
  # seconds for one whenever it hides a window it has activated; unmanaged
  # windows are placed and hidden by Wine alone, as nothing else would.
  if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  fi
  # Start Wine's background services now, detached from our output: a
  # service that inherited a test's stdout would keep CTest waiting for it.
  wineboot >/dev/null 2>&1 </dev/null
  zw_hold_desktop "$build"
}

# Exports the Wine settings of our prefixes for <dir>/wineprefix of the given
# architecture, and makes the prefix once (no offers to fetch .NET or HTML
# runtimes, Wine's own fonts in place). ./run uses it for a desktop too.
# Wine's HID and USB bus drivers stay off: nothing here uses them, and their
# device polling would cost each prefix a steady few per cent of a core.
zw_wine_prefix() {
  local build=$1 arch=$2
  mkdir -p "$build"
  build=$(cd "$build" && pwd)
  export WINEPREFIX=$build/wineprefix
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winebus.sys=d;wineusb.sys=d"
  export WINEARCH=$arch
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "wine-env: creating the $arch Wine prefix" >&2
    rm -rf "$WINEPREFIX"
    wineboot -i >"$build/wineboot.log" 2>&1
    wineserver -w
  fi
  zw_link_wine_fonts
}

# Wine ends its desktop process a moment after the last window program has
# gone, and the next one starts it again as its own child, with its own
# output: CTest then waits for that test until the desktop ends, which is
# when nothing else runs any more. One idle program, detached from our
# output, holds the desktop until the wineserver stops.
zw_hold_desktop() {
  local holder=$ZW_ROOT/build/win32/tools/zw_hold_desktop.exe log=$1/hold-desktop.log
  if [[ ! -f $holder ]]; then
    echo "wine-env: no $holder; a test may outlast its program" >&2
    return 0
  fi
  rm -f "$log"
  wine "$holder" </dev/null >"$log" 2>&1 &
  local pid=$!
  disown "$pid"
  zw_wait_for "$pid" 300 grep -q ready "$log" ||
    echo "wine-env: the desktop holder did not start ($log)" >&2
}

# Waits until the command succeeds, for as long as the process that is to
# make it so lives: fails at once once that process has ended without it,
# and after the bound (seconds) only as a last resort, for a step that hangs.
# A busy machine may take minutes where a quiet one takes a second.
#   zw_wait_for <pid> <bound> <command...>
zw_wait_for() {
  local pid=$1 end=$((SECONDS + $2))
  shift 2
  until "$@"; do
    if ! kill -0 "$pid" 2>/dev/null; then
      "$@"
      return
    fi
    ((SECONDS < end)) || return 1
    sleep 0.1
  done
}

# Wine's own fonts ("Small Fonts", Wingdings, Tahoma, System, ...) come with
# Debian's fonts-wine, but this Wine finds only what lies in the prefix's Fonts
# folder or what fontconfig offers. A Windows installation has them in its
# Fonts folder; so does our prefix.
zw_link_wine_fonts() {
  local fonts=$WINEPREFIX/drive_c/windows/Fonts font
  mkdir -p "$fonts"
  for font in /usr/share/wine/fonts/*; do
    [[ -e $font ]] && ln -sf "$font" "$fonts/"
  done
  return 0
}

# What this machine runs the tests on, so that a failure can be read
# against it: how i386 programs run, the Wine version, and the fonts Wine
# gives the painting port (the latter once the Windows build exists).
zw_describe_machine() {
  local how=natively binfmt=/proc/sys/fs/binfmt_misc/qemu-i386
  if [[ -r $binfmt ]] && [[ $(head -n1 "$binfmt") == enabled ]]; then
    how="through qemu user emulation ($(qemu-i386-static --version | head -n1))"
  fi
  echo "  i386 programs run $how"
  echo "  wine: $(wine --version 2>/dev/null || echo missing)"
}

zw_describe_fonts() {
  local probe=$1
  if [[ -x $probe ]]; then
    wine "$probe" 2>/dev/null | tr -d '\r'
  else
    echo "  fonts: not known (no $probe)"
  fi
}

zw_env_stop() {
  if [[ -n ${ZW_WINESERVER_STARTED:-} ]]; then
    wineserver -k 2>/dev/null || true
    ZW_WINESERVER_STARTED=
  fi
  if [[ -n ${ZW_XVFB_PID:-} ]]; then
    kill "$ZW_XVFB_PID" 2>/dev/null || true
    wait "$ZW_XVFB_PID" 2>/dev/null || true
    ZW_XVFB_PID=
  fi
}

# More displays, each with a Wine prefix and a wineserver of its own in
# build/wine-<n>, for tests that need a display to themselves: two programs
# on one display cover each other's windows, and a window that comes up takes
# the pointer and the keys from a test that presses them. They start in the
# background, one after another (side by side, they would only take longer
# each), and each writes its set-up to build/wine-<n>/display.env when it is
# up (or "failed"); tools/wine-exec.sh waits for that file when a test is
# given the display.
zw_env_start_displays() {
  local n
  for n in "$@"; do
    mkdir -p "$ZW_ROOT/build/wine-$n"
    rm -f "$ZW_ROOT/build/wine-$n/display.env" "$ZW_ROOT/build/wine-$n/starter.pid"
  done
  (
    for n in "$@"; do
      local build=$ZW_ROOT/build/wine-$n
      ZW_WINESERVER_STARTED=
      ZW_XVFB_PID=
      if zw_env_start "$build" >"$build/start.log" 2>&1; then
        printf 'DISPLAY=%q WINEPREFIX=%q HOME=%q ZW_XVFB_PID=%q\n' \
          "$DISPLAY" "$WINEPREFIX" "$HOME" "$ZW_XVFB_PID" >"$build/display.env.new"
      else
        zw_env_stop
        echo failed >"$build/display.env.new"
      fi
      mv "$build/display.env.new" "$build/display.env"
    done
  ) &
  # Whoever waits for a display follows this starter: it is at work as long
  # as it lives.
  for n in "$@"; do
    echo "$!" >"$ZW_ROOT/build/wine-$n/starter.pid"
  done
  ZW_DISPLAYS+=("$@")
  ZW_DISPLAY_STARTERS+=("$!")
}
ZW_DISPLAYS=()
ZW_DISPLAY_STARTERS=()

# Waits until the displays zw_env_start_displays started are up (or failed);
# a subshell may call it too.
zw_env_wait_displays() {
  local n
  for n in "${ZW_DISPLAYS[@]}"; do
    zw_wait_for "$(cat "$ZW_ROOT/build/wine-$n/starter.pid")" 1800 \
      test -f "$ZW_ROOT/build/wine-$n/display.env"
  done
}

# Waits for the displays zw_env_start_display started and stops them.
zw_env_stop_displays() {
  local n
  for n in "${ZW_DISPLAY_STARTERS[@]}"; do wait "$n"; done
  for n in "${ZW_DISPLAYS[@]}"; do
    (
      source "$ZW_ROOT/build/wine-$n/display.env" 2>/dev/null || exit 0
      [[ -n ${WINEPREFIX:-} ]] && WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null
      [[ -n ${ZW_XVFB_PID:-} ]] && kill "$ZW_XVFB_PID" 2>/dev/null
    )
  done
  ZW_DISPLAYS=()
  ZW_DISPLAY_STARTERS=()
}
