# Shared steps of the project's scripts: packages, builds, the X display and the Wine prefixes.
# Sourced, not run. Every function is idempotent: a second call finds its work done.

LVX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LVX_CACHE="$LVX_ROOT/.cache"
LVX_BUILD="$LVX_ROOT/build"
export WINEDEBUG=${WINEDEBUG:--all}
# The programs use the Cyrillic ANSI code page; Wine takes it from the locale variables.
LVX_WINE_LOCALE=ru_RU.CP1251

lvx_log() { printf '\033[1m== %s\033[0m\n' "$*"; }

# Debian packages the builds, the tests and the running program need.
LVX_PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev googletest libbenchmark-dev nlohmann-json3-dev python3
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 wine32:i386 fonts-wine fonts-liberation xvfb xauth x11-utils xdotool imagemagick dpkg-dev
)

lvx_install_packages() {
  local missing=() package sudo="" new_architecture=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  # The 32-bit Wine runs the i686 build beside the 64-bit one, in the same prefix.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    lvx_log "adding the i386 architecture"
    $sudo dpkg --add-architecture i386
    new_architecture=yes
  fi
  for package in "${LVX_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && [ -z "$new_architecture" ] && return 0
  $sudo apt-get update -q
  [ ${#missing[@]} -eq 0 ] && return 0
  lvx_log "installing ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# libjpeg for the Windows builds. Debian ships no MinGW build of it, so its source package is
# fetched once into the cache and CMake builds it with the cross compilers. The source entries
# of apt are made from the machine's own binary entries (no mirror is named here).
lvx_fetch_libjpeg() {
  local dest="$LVX_CACHE/libjpeg-turbo"
  [ -f "$dest/jpeglib.h" ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  if [ -z "$(apt-cache showsrc libjpeg-turbo 2>/dev/null)" ]; then
    lvx_log "enabling apt source entries"
    local file
    for file in /etc/apt/sources.list.d/*.sources; do
      [ -f "$file" ] && grep -q '^Types: deb$' "$file" || continue
      sed 's/^Types: deb$/Types: deb-src/' "$file" | $sudo tee "/etc/apt/sources.list.d/lvx-src-$(basename "$file")" >/dev/null
    done
    if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list; then
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $sudo tee /etc/apt/sources.list.d/lvx-src.list >/dev/null
    fi
    $sudo apt-get update -q
  fi
  lvx_log "fetching the libjpeg-turbo source package"
  local work
  work=$(mktemp -d)
  (cd "$work" && apt-get source -q libjpeg-turbo >/dev/null)
  local unpacked
  unpacked=$(find "$work" -maxdepth 2 -name jpeglib.h -printf '%h\n' | head -n 1)
  [ -n "$unpacked" ] || { echo "libjpeg-turbo source not found" >&2; rm -rf "$work"; return 1; }
  mkdir -p "$LVX_CACHE"
  rm -rf "$dest" && mv "$unpacked" "$dest"
  rm -rf "$work"
}

# Configures and builds one kind of build: native | x86_64 | i686. Extra arguments go to cmake.
lvx_build() {
  local kind=$1; shift
  local dir="$LVX_BUILD/$kind" args=()
  case $kind in
    native*) args=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
    *) lvx_fetch_libjpeg
       args=(-DCMAKE_TOOLCHAIN_FILE="$LVX_ROOT/cmake/toolchain-mingw-$kind.cmake" -DLVX_LIBJPEG_SOURCE="$LVX_CACHE/libjpeg-turbo") ;;
  esac
  lvx_log "building $kind"
  cmake -S "$LVX_ROOT" -B "$dir" -G Ninja "${args[@]}" "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}

# Puts each bitness's target program beside the other build's tests, for the cross-bitness tests.
# The 64-bit build also gets the 32-bit hook DLL and helper, with which its inspector watches
# 32-bit programs (and which its release archive ships).
lvx_exchange_targets() {
  cp -f "$LVX_BUILD/i686/bin/lvxtarget.exe" "$LVX_BUILD/x86_64/bin/lvxtarget-other.exe"
  cp -f "$LVX_BUILD/x86_64/bin/lvxtarget.exe" "$LVX_BUILD/i686/bin/lvxtarget-other.exe"
  lvx_add_32bit_hooks
}

# The 64-bit inspector watches 32-bit programs through the 32-bit build's hook DLL and helper.
lvx_add_32bit_hooks() {
  cp -f "$LVX_BUILD"/i686/bin/lvxhook*-32.dll "$LVX_BUILD"/i686/bin/lvxhookhost*-32.exe "$LVX_BUILD/x86_64/bin/"
}

# Makes sure an X display answers; starts a private Xvfb when there is none.
lvx_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local number
  for number in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    LVX_XVFB_PID=$!
    export DISPLAY=":$number"
    local tries
    for tries in $(seq 100); do
      xdpyinfo >/dev/null 2>&1 && { lvx_log "private X display $DISPLAY"; return 0; }
      kill -0 "$LVX_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "could not start Xvfb" >&2
  return 1
}

lvx_stop_display() {
  [ -n "${LVX_XVFB_PID:-}" ] && kill "$LVX_XVFB_PID" 2>/dev/null
  LVX_XVFB_PID=""
}

# Creates a Wine prefix. Mode "run" is a plain prefix; mode "test" maps no drive to the Linux
# root (so no faulty delete in a test can reach the host's files), only the build folder as Y:
# and the 32-bit build as X:.
lvx_ensure_prefix() {
  local prefix=$1 mode=$2 build=${3:-}
  export WINEPREFIX="$prefix"
  # A prefix made before the 32-bit Wine was installed has no 32-bit system: made anew.
  if [ -f "$prefix/system.reg" ] && [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
    lvx_log "remaking Wine prefix $prefix for 32-bit programs"
    wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
  fi
  if [ ! -f "$prefix/system.reg" ]; then
    lvx_log "creating Wine prefix $prefix"
    mkdir -p "$prefix"
    LC_ALL=$LVX_WINE_LOCALE wineboot -i >/dev/null 2>&1
    wineserver -w
    # Debian's Wine does not find its own fonts (Tahoma, Marlett, ...) unless they are in the prefix.
    cp -n /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
    # A crashing test program must end, not wait for someone to close the debugger's dialog.
    LC_ALL=$LVX_WINE_LOCALE wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
  fi
  if [ "$mode" = test ] && ! grep -q '"Desktop"="Default"' "$prefix/user.reg" 2>/dev/null; then
    # Tests run in a Wine virtual desktop: one X window in which Wine alone decides focus,
    # activation and stacking, the same on every display, with or without a window manager.
    LC_ALL=$LVX_WINE_LOCALE wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
    LC_ALL=$LVX_WINE_LOCALE wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1280x1024 /f >/dev/null 2>&1
    wineserver -w
  fi
  if [ "$mode" = test ]; then
    # Wine links the profile's Desktop, Documents, Music... to the Linux home folder: turn them
    # into plain folders of the prefix, so that nothing a test deletes can reach the host.
    find "$prefix/drive_c/users" -maxdepth 2 -type l | while read -r link; do
      rm -f "$link" && mkdir -p "$link"
    done
    rm -f "$prefix/dosdevices/z:"
    ln -sfn "$build" "$prefix/dosdevices/y:"
    # The 32-bit build as X:, so that its tests and the programs they start have drive paths too.
    ln -sfn "$LVX_BUILD/i686" "$prefix/dosdevices/x:"
    # The tests move the mouse through the X server, as a user's mouse does (see TestSupport).
    mkdir -p "$build/tools"
    ln -sfn "$(command -v xdotool)" "$build/tools/xdotool"
    export LVX_XDOTOOL='Y:\tools\xdotool'
  fi
}

# Sets the DPI of the current prefix (Wine's LogPixels, where user32 and the registry of fonts read
# it); its wineserver is restarted so that the next program starts with it.
lvx_set_dpi() {
  local dpi=$1
  LC_ALL=$LVX_WINE_LOCALE wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  LC_ALL=$LVX_WINE_LOCALE wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w
}

# Runs a Windows program of ours under Wine in the current prefix with the project's locale.
lvx_wine() {
  LC_ALL=$LVX_WINE_LOCALE wine "$@"
}
