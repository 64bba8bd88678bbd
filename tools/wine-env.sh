# Sourced by ./test, ./run, tools/wine-exec.sh and the benchmark: Xvfb
# displays, each with a Wine prefix and a persistent wineserver of its own in
# a folder under build/. Starting one writes <folder>/display.env, which is
# all that anyone needs to use or stop it; nothing lives in shell variables.
#
#   zw_display_start <folder>[:win64]         starts one (win32 unless said), or fails with its log
#   zw_display_start_background <folder>...   starts them one after another, in the background
#   zw_display_use <folder>                   waits while it starts, then exports its settings
#   zw_display_stop <folder>...               stops them, once they have started
#   zw_wine_prefix <folder> win32|win64       exports the settings of a prefix (./run's desktop
#                                             uses it alone), and makes the prefix once

zw_display_start() {
  local folder=${1%%:*} arch=win32
  [[ $1 == *:win64 ]] && arch=win64
  mkdir -p "$folder"
  folder=$(cd "$folder" && pwd)
  # Whatever an earlier run left running there.
  zw_display_kill "$folder"
  # In a subshell of its own: the caller's environment stays as it was. (A
  # caller's && or if would switch set -e off in here: each step says.)
  (
    export HOME=$folder/home
    mkdir -p "$HOME"
    cp "$ZW_ROOT/tools/asoundrc" "$HOME/.asoundrc"
    local fdfile=$folder/displayfd
    rm -f "$fdfile"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" \
      >"$folder/xvfb.log" 2>&1 &
    local xvfb=$!
    # What runs so far, so that a stop finds it even if the start fails. Its
    # start time tells it from a later process that gets the same id.
    local started
    started=$(zw_process_start "$xvfb")
    echo "ZW_XVFB_PID=$xvfb ZW_XVFB_START=$started" >"$folder/display.env"
    if ! zw_wait_for "$xvfb" 300 test -s "$fdfile"; then
      echo "wine-env: Xvfb did not start:"
      cat "$folder/xvfb.log"
      exit 1
    fi
    export DISPLAY=:$(head -n1 "$fdfile")
    zw_wine_prefix "$folder" "$arch" || exit 1
    wineserver -p || exit 1
    printf 'ZW_XVFB_PID=%q ZW_XVFB_START=%q WINEPREFIX=%q\n' "$xvfb" "$started" "$WINEPREFIX" \
      >"$folder/display.env"
    # No window manager runs on this display. Left "managed", Wine waits two
    # seconds for one whenever it hides a window it has activated; unmanaged
    # windows are placed and hidden by Wine alone, as nothing else would.
    if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    fi
    # Start Wine's background services now, detached from our output: a
    # service that inherited a test's stdout would keep CTest waiting for it.
    wineboot >/dev/null 2>&1 </dev/null
    zw_hold_desktop "$folder"
    printf 'ZW_XVFB_PID=%q ZW_XVFB_START=%q DISPLAY=%q HOME=%q WINEPREFIX=%q WINEARCH=%q WINEDEBUG=%q WINEDLLOVERRIDES=%q ZW_DISPLAY_UP=1\n' \
      "$xvfb" "$started" "$DISPLAY" "$HOME" "$WINEPREFIX" "$WINEARCH" "$WINEDEBUG" "$WINEDLLOVERRIDES" \
      >"$folder/display.env"
  ) >"$folder/start.log" 2>&1 && return 0
  echo "wine-env: the display in $folder did not start ($folder/start.log):" >&2
  tail -n 20 "$folder/start.log" >&2
  zw_display_kill "$folder"
  echo "ZW_DISPLAY_FAILED=1" >"$folder/display.env"
  return 1
}

# Whether a display's start has ended, up or failed.
zw_display_settled() {
  zw_says '^(.* )?ZW_DISPLAY_(UP|FAILED)=1' "$1/display.env"
}

# Whether a file (that may not be there yet) has a line that matches.
zw_says() {
  grep -q -E "$1" "$2" 2>/dev/null
}

# The displays start one after another (side by side, each would only take
# longer); whoever waits for one follows their starter, which is at work for
# as long as it lives.
zw_display_start_background() {
  local display folder
  for display in "$@"; do
    folder=${display%%:*}
    mkdir -p "$folder"
    rm -f "$folder/display.env" "$folder/starter.pid"
  done
  (for display in "$@"; do zw_display_start "$display"; done) >/dev/null 2>&1 &
  for display in "$@"; do
    echo "$!" >"${display%%:*}/starter.pid"
  done
}

zw_display_use() {
  local folder=$1
  zw_wait_for "$(cat "$folder/starter.pid" 2>/dev/null)" 1800 zw_display_settled "$folder"
  local ZW_DISPLAY_UP= ZW_XVFB_PID=
  source "$folder/display.env" 2>/dev/null
  if [[ -z $ZW_DISPLAY_UP ]]; then
    echo "wine-env: no display in $folder ($folder/start.log):" >&2
    tail -n 20 "$folder/start.log" >&2 2>/dev/null
    return 1
  fi
  export DISPLAY HOME WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES
  # Sound goes nowhere unless a test names its capture.
  export ZW_CAPTURE_WAV=${ZW_CAPTURE_WAV:-/dev/null}
}

# Waits while a display is still starting, then stops it.
zw_display_stop() {
  local folder
  for folder in "$@"; do
    zw_wait_for "$(cat "$folder/starter.pid" 2>/dev/null)" 1800 zw_display_settled "$folder"
    zw_display_kill "$folder"
  done
  return 0
}

# Stops what runs of a display, as far as it got. The display.env may be an
# earlier run's, whose Xvfb has long ended and whose id may now be another
# process's: only the process that started at the time written down is ended.
zw_display_kill() {
  (
    [[ -f $1/display.env ]] || exit 0
    ZW_XVFB_PID= ZW_XVFB_START= WINEPREFIX=
    source "$1/display.env" 2>/dev/null
    [[ -n $WINEPREFIX ]] && WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null
    if [[ -n $ZW_XVFB_PID && -n $ZW_XVFB_START &&
      $(zw_process_start "$ZW_XVFB_PID") == "$ZW_XVFB_START" ]]; then
      kill "$ZW_XVFB_PID" 2>/dev/null
    fi
    rm -f "$1/display.env"
  )
  return 0
}

# When a process started (clock ticks since boot, as /proc gives it); nothing
# once it has ended. The name in parentheses may hold spaces: the fields are
# counted after it, the start time being the 22nd.
zw_process_start() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
  stat=${stat##*) }
  read -r -a stat <<<"$stat"
  echo "${stat[19]}"
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
    # The prefix is written once its wineserver ends. One that hangs is ended
    # hard, and the half-made prefix goes.
    timeout 900 wineserver -w
    if (($? == 124)); then
      echo "wine-env: the $arch Wine prefix was not done within 900 s; ending its wineserver" >&2
      wineserver -k 2>/dev/null
      rm -rf "$WINEPREFIX"
      return 1
    fi
    if [[ ! -f $WINEPREFIX/system.reg ]]; then
      echo "wine-env: no $arch Wine prefix ($build/wineboot.log)" >&2
      return 1
    fi
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
  zw_wait_for "$pid" 300 zw_says ready "$log" ||
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
