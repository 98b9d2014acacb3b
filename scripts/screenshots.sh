#!/usr/bin/env bash
# Pictures of the wizard for docs/: the real frame and pages, shown on a real
# X display (Xvfb) through Wine's X11 driver and walked through their states
# by the robot (tests/wizard/wizard_tour.cpp). At each stop the tour names
# the screen rectangle to capture; this script takes it from the X display
# with ImageMagick's import and lets the tour go on.
#   screenshots.sh BUILD_DIR
# Writes docs/wizard-<state>.png. Uses its own Wine prefix (BUILD_DIR/wine-x11,
# made once, with the X11 graphics driver); the test prefixes keep the null
# driver. Stops only the X server and the wineserver that it started.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-build}")
tb="$build/tests-win64"
prefix="$build/wine-x11"
loader=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver
import=import-im6.q16
stops=(welcome agreement destination group ready cancel finished)

"$top/scripts/bootstrap.sh"

# The tour is a program of the test build.
cmake -S "$top" -B "$tb" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Debug -DSETUP_BUILD_TESTS=ON \
      -DSETUP_WINEPREFIX="$build/wine-win64" -DSETUP_PRODUCT_EXE="$build/setup.exe" >/dev/null
cmake --build "$tb" --target wizard_tour -j"$(nproc)"

export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# A free display number.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
export DISPLAY=":$display"

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
    "$server" -k </dev/null >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
[ -e "/tmp/.X11-unix/X$display" ] || { echo "screenshots: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }

if [ ! -f "$prefix/.setup-ready" ]; then
    echo "screenshots: creating the X11 prefix $prefix"
    rm -rf "$prefix"
    "$loader" wineboot -i </dev/null >/dev/null 2>&1
    # The windows live in a Wine desktop, one X window in which Wine
    # draws, places and activates them as Windows does; no window manager
    # runs on the display.
    "$loader" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f </dev/null >/dev/null 2>&1
    "$loader" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
    "$loader" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f </dev/null >/dev/null 2>&1
    "$server" -w
    # Wine's own fonts (fonts-wine): this Wine looks for them beside its
    # build tree, not in /usr/share/wine/fonts, so without them the frames
    # lack the Marlett glyphs of their caption buttons. Windows reads the
    # fonts folder by itself.
    cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/"
    touch "$prefix/.setup-ready"
fi
( "$server" -p </dev/null >/dev/null 2>&1 & )

# The tour and this script meet in a folder: <stop>.ready from the tour
# ("left top width height"), <stop>.go from here.
export WIZARD_TOUR_DIR="Z:$(echo "$work" | tr / '\\')"
"$loader" "$tb/wizard_tour.exe" </dev/null >"$work/tour.log" 2>&1 &
tour_pid=$!

mkdir -p "$top/docs"
for stop in "${stops[@]}"; do
    ready="$work/$stop.ready"
    for _ in $(seq 600); do
        [ -f "$ready" ] && break
        kill -0 "$tour_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -f "$ready" ]; then
        echo "screenshots: the tour did not reach \"$stop\"" >&2
        cat "$work/tour.log" >&2
        exit 1
    fi
    read -r x y w h <"$ready"
    # The tour gives Windows screen coordinates, which are those of the
    # desktop window.
    desktop=$(xdotool search --name 'Wine desktop' | head -n 1)
    "$import" -window "$desktop" -crop "${w}x${h}+${x}+${y}" +repage "$top/docs/wizard-$stop.png"
    echo "screenshots: docs/wizard-$stop.png (${w}x${h})"
    touch "$work/$stop.go"
done

rc=0
wait "$tour_pid" || rc=$?
if [ "$rc" -ne 0 ]; then
    echo "screenshots: the tour failed" >&2
    cat "$work/tour.log" >&2
    exit 1
fi
