#!/usr/bin/env bash
# Prepares a headless Wine prefix for the tests and starts its server:
#   wine-prefix.sh up   LOADER PREFIX   create (once) and start a persistent wineserver
#   wine-prefix.sh down LOADER PREFIX   stop the wineserver of that prefix only
set -euo pipefail
cmd=$1 loader=$2 prefix=$3
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
case "$loader" in *wine64) export WINEARCH=win64 ;; *) export WINEARCH=win32 ;; esac
server=/usr/lib/wine/wineserver

case "$cmd" in
up)
    if [ ! -f "$prefix/.setup-ready" ]; then
        echo "wine-prefix: creating $WINEARCH prefix $prefix"
        rm -rf "$prefix"
        "$loader" wineboot -i </dev/null >/dev/null 2>&1
        # Headless: no display is needed for dialogs, message boxes or the
        # folder browser with the null graphics driver.
        "$loader" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
        "$server" -w
        touch "$prefix/.setup-ready"
    fi
    # One persistent server for the whole run; detached from our pipes, or
    # whoever reads them would wait for it forever.
    ( "$server" -p </dev/null >/dev/null 2>&1 & )
    # Boot the prefix once so that the first test does not pay for it.
    "$loader" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
    # Wine's desktop process ends about a second after the last window of
    # the prefix is gone, and a test process that starts at that moment can
    # find no desktop. One window that lives for the whole run keeps it up;
    # the server's end (down) ends it too.
    # Minimised and not activated, so that it never takes the focus from a
    # window under test.
    ( "$loader" start /min notepad.exe </dev/null >/dev/null 2>&1 & )
    ;;
down)
    "$server" -k </dev/null >/dev/null 2>&1 || true
    ;;
esac
