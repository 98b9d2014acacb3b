#!/usr/bin/env bash
# make demo: installs a small demo package of Pictavo 6 silently under Wine,
# as the self-extracting package would start it, shows what the
# installation made, uninstalls it through the uninstall entry with "-s",
# shows that everything is gone, restarts the Wine prefix and shows that the
# uninstaller's clean-up copy is gone too.
#   demo.sh BUILD_DIR
# Exit code 0 when every step did what it should, 1 otherwise.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-build}")
jobs=$(nproc)

# --- output -------------------------------------------------------------------
failures=0
step()  { printf '\n\033[1m== %s\033[0m  (%ds)\n' "$*" "$SECONDS"; }
say()   { printf '   %s\n' "$*"; }
ok()    { printf '   \033[32mok\033[0m    %s\n' "$*"; }
bad()   { printf '   \033[31mFAIL\033[0m  %s\n' "$*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then ok "$what"; else bad "$what"; fi; }
die()   { printf '\n\033[31mdemo: %s\033[0m\n' "$*" >&2; exit 1; }
indent() { sed -e 's/\r$//' -e 's/^/      /'; }

# --- which build runs, and why ------------------------------------------------
# build/setup.exe is the 32-bit program as it ships. Wine runs 32-bit
# programs through its own 32-bit loader, which needs a kernel that runs
# 32-bit Linux programs. Where that works the demo runs the shipped program
# in a 32-bit prefix; elsewhere it runs the x86_64 build of the same sources
# in a 64-bit prefix (docs/testing.md explains this).
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    arch=win32 loader=/usr/lib/wine/wine toolchain=mingw-i686.cmake
    why="this kernel runs 32-bit programs, so the demo runs the shipped 32-bit program $build/setup.exe"
else
    arch=win64 loader=/usr/lib/wine/wine64 toolchain=mingw-x86_64.cmake
    why="this kernel does not run 32-bit Linux programs (no 32-bit Wine here), so the demo runs the x86_64 build of the same sources"
fi
server=/usr/lib/wine/wineserver
demobuild="$build/demo-$arch"
prefix="$build/demo-prefix"
export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine() { "$loader" "$@" </dev/null; }

step "Building the demo"
say "$why."
# The stand-in product (a Pictavo6.exe with version 6.1.2.0) is the one the
# tests use; it is built with the tests' CMake options, but only it and the
# program are built here.
cmake -S "$top" -B "$demobuild" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$toolchain" \
      -DCMAKE_BUILD_TYPE=MinSizeRel -DSETUP_BUILD_TESTS=ON -DSETUP_PRODUCT_EXE="$build/setup.exe" \
      -DSETUP_WINEPREFIX="$prefix" >/dev/null || die "cmake failed"
cmake --build "$demobuild" -j"$jobs" --target setup Pictavo6_612 >/dev/null || die "the build failed"
if [ "$arch" = win32 ]; then program="$build/setup.exe"; else program="$demobuild/setup.exe"; fi
[ -f "$program" ] || die "no $program"
say "program:  $program"
say "product:  $demobuild/Pictavo6_612.exe (stand-in with version 6.1.2.0)"

# --- a throwaway prefix -------------------------------------------------------
step "A fresh $arch Wine prefix: $prefix"
# Only this prefix's server is ever stopped.
"$server" -k </dev/null >/dev/null 2>&1 || true
rm -rf "$prefix"
wine wineboot -i >/dev/null 2>&1 || die "wineboot -i failed"
# Headless: message boxes and dialogs need no display with the null driver.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
"$server" -w
# One server for the whole demo. Wine carries out the pending restart-time
# operations whenever a server starts afresh, so the prefix must keep its
# server until the demo restarts it on purpose. Detached from our pipes.
( "$server" -p </dev/null >/dev/null 2>&1 & )
# Wine's desktop process ends about a second after the prefix's last window
# is gone, and a program that starts at that moment finds no desktop; one
# window that lives for the whole demo keeps it up.
( wine notepad.exe >/dev/null 2>&1 & )
trap '"$server" -k </dev/null >/dev/null 2>&1 || true' EXIT
say "created (the prefix is recreated by every run of the demo)"

drive_c="$prefix/drive_c"
# Windows paths in the prefix and the Unix paths behind them.
win_to_unix() { local p=${1#[Cc]:}; p=${p//\\//}; printf '%s%s' "$drive_c" "$p"; }
regval() {  # key value: the text of that value, or nothing
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n 's/^.*    REG_[A-Z_]*    //p' | head -1
}
regdefault() { wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^.*    REG_[A-Z_]*    //p' | head -1; }
haskey() { wine reg query "$1" >/dev/null 2>&1; }
nokey() { ! haskey "$1"; }

# --- the package as the self-extracting archive leaves it ---------------------
step "The package, unpacked as the self-extracting archive would leave it"
pkg_win='C:\users\Public\Temp\PictavoPackage'
pkg=$(win_to_unix "$pkg_win")
mkdir -p "$pkg" "$drive_c/Downloads"
cp -r "$top/scripts/demo/package/." "$pkg/"
cp "$program" "$pkg/setup.exe"
cp "$demobuild/Pictavo6_612.exe" "$pkg/Pictavo6.exe"
# The archive itself lives in Downloads.
sfx_win='C:\Downloads\Pictavo6Setup.exe'
: > "$(win_to_unix "$sfx_win")"
say "$pkg_win:"
(cd "$pkg" && find . -type f | sort | sed 's|^\./||') | indent
say "manifest PtvUnInst.log:"
indent < "$pkg/PtvUnInst.log"
say "sfxname=$sfx_win (the archive that unpacked the package)"

# --- a running copy of the product, which the setup closes --------------------
step "A running copy of the product"
plog_win='C:\users\Public\Temp\product-events.log'
plog=$(win_to_unix "$plog_win")
rm -f "$plog"
( wine "$pkg_win\\Pictavo6.exe" --log "$plog_win" >/dev/null 2>&1 & )
for _ in $(seq 1 300); do grep -q '^ready' "$plog" 2>/dev/null && break; sleep 0.1; done
check "the product runs and has joined the list of running copies" grep -q '^ready' "$plog"

# --- silent installation ------------------------------------------------------
instdir_win='C:\Apps\Pictavo'
instdir=$(win_to_unix "$instdir_win")
mkdir -p "$instdir"
step "Silent installation: setup.exe -install -s -instdir $instdir_win"
say "(started in the package folder, with sfxname set, as the package starts it)"
(cd "$pkg" && sfxname="$sfx_win" "$loader" setup.exe -install -s -instdir "$instdir_win" </dev/null >/dev/null 2>&1)
rc=$?
check "setup.exe ended with exit code 0 (got $rc)" test "$rc" -eq 0
# The setup asks the copy to close (WM_CLOSE, wParam 1001) and ends it 10 ms
# later, whether or not it has reacted by then.
product_running() {
    wine wmic process get name 2>/dev/null | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr -d '\r ' |
        grep -qix 'pictavo6\.exe'
}
check "the running copy of the product was ended" eval '! product_running'
say "what the product saw: $(grep -v '^ready' "$plog" | tr -d '\r' | tr '\n' ' ')"

step "What the installation made"
say "files in $instdir_win:"
(cd "$instdir" && find . -type f | sort | sed 's|^\./||') | indent
for f in Pictavo6.exe Pictavo6Man.chm readme.txt HomePage.url PtvUnInst.exe PtvUnInst.log Samples/sample.txt; do
    check "$f" test -f "$instdir/$f"
done
check "PtvUnInst.exe is the setup program" cmp -s "$pkg/setup.exe" "$instdir/PtvUnInst.exe"
say "install log PtvUnInst.log (the manifest, then what the installation added):"
indent < "$instdir/PtvUnInst.log"

vendor='HKLM\SOFTWARE\Quorvane\Pictavo 6'
apppath='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Pictavo6.exe'
uninst='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Pictavo 6'
say "registry:"
for key in "$vendor" "$apppath" "$uninst"; do
    say "  $key"
    wine reg query "$key" 2>/dev/null | tr -d '\r' | grep REG_ | indent
done
check "AllUsers is B (silent and fresh: all users)" test "$(regval "$vendor" AllUsers)" = B
check "Path is $instdir_win" test "$(regval "$vendor" Path)" = "$instdir_win"
check "the application path names Pictavo6.exe" test "$(regdefault "$apppath")" = "$instdir_win\\Pictavo6.exe"
uninstall_cmd=$(regval "$uninst" UninstallString)
# The command as Windows reads it: a program path, in quotes when it is
# quoted, and nothing after it.
uninstaller=$uninstall_cmd
if [[ $uninstaller == \"*\" ]]; then uninstaller=${uninstaller:1:${#uninstaller}-2}; fi
check "UninstallString names $instdir_win\\PtvUnInst.exe" test "$uninstaller" = "$instdir_win\\PtvUnInst.exe"

shellfolders='HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
programs_win=$(regval "$shellfolders" 'Common Programs')
desktop_win=$(regval "$shellfolders" 'Common Desktop')
group=$(win_to_unix "$programs_win\\Pictavo 6")
desktop=$(win_to_unix "$desktop_win")
# The target path stored in a shortcut, as the shell saved it.
lnk_target() { python3 - "$1" <<'EOF'
import re, sys
data = open(sys.argv[1], 'rb').read()
paths = re.findall(rb'[A-Za-z]:\\[\x20-\x7e]+?\.(?:exe|chm|txt)', data)
print(paths[0].decode() if paths else '?')
EOF
}
say "shortcuts:"
for l in "$group"/*.lnk "$desktop/Pictavo 6.lnk"; do
    [ -f "$l" ] && say "  ${l#$drive_c/} -> $(lnk_target "$l")"
done
for n in "Pictavo 6" "Pictavo 6 Help" "Read about Pictavo 6" "Uninstall Pictavo 6"; do
    check "group shortcut \"$n\"" test -f "$group/$n.lnk"
done
check "desktop shortcut \"Pictavo 6\"" test -f "$desktop/Pictavo 6.lnk"
check "the product shortcut points at $instdir_win\\Pictavo6.exe" \
    test "$(lnk_target "$group/Pictavo 6.lnk")" = "$instdir_win\\Pictavo6.exe"
check "the install log records the group and all five shortcuts" \
    test "$(grep -c -e '^Made Dir: ' -e '^Shell Link: ' "$instdir/PtvUnInst.log")" -eq 6

# --- silent uninstall through the uninstall entry -----------------------------
step "Silent uninstall: the uninstall entry's command with -s"
say "$uninstall_cmd -s"
"$loader" "$uninstaller" -s </dev/null >/dev/null 2>&1
rc=$?
check "the uninstaller ended with exit code 0 (got $rc)" test "$rc" -eq 0
# The uninstaller has started its clean-up copy (uni*.tmp in the temporary
# folder) and ended; the copy waits a second, then removes the product and
# ends. Wait for it (wmic lists the prefix's processes, in UTF-16).
cleanup_running() {
    wine wmic process get name 2>/dev/null | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr -d '\r ' |
        grep -qiE '^uni[0-9a-f]+\.tmp$'
}
say "waiting for the clean-up copy to finish..."
for _ in $(seq 1 120); do cleanup_running || break; sleep 0.5; done
check "the clean-up copy has finished" eval '! cleanup_running'

step "After the uninstall"
check "the product folder $instdir_win is gone" test ! -e "$instdir"
check "the group \"Pictavo 6\" is gone" test ! -e "$group"
check "the desktop shortcut is gone" test ! -e "$desktop/Pictavo 6.lnk"
check "the vendor key is gone" nokey 'HKLM\SOFTWARE\Quorvane'
check "the application path is gone" nokey "$apppath"
check "the uninstall entry is gone" nokey "$uninst"
check "the package folder is untouched" test -f "$pkg/setup.exe"

# The clean-up copy (uni*.tmp in the temporary folder) asked Windows to
# delete it at the next restart.
mapfile -t copies < <(find "$drive_c" -iname 'uni*.tmp' 2>/dev/null)
check "one clean-up copy waits for the restart" test "${#copies[@]}" -eq 1
pending=$(wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations 2>/dev/null | tr -d '\r')
for c in "${copies[@]}"; do
    name=$(basename "$c")
    say "${c#$drive_c/}"
    check "its deletion at the restart is pending (PendingFileRenameOperations)" grep -qi "$name" <<<"$pending"
done

step "Restarting the prefix (wineboot -r)"
wine wineboot -r >/dev/null 2>&1
for c in "${copies[@]}"; do check "the clean-up copy $(basename "$c") is gone" test ! -e "$c"; done

echo
if [ "$failures" -eq 0 ]; then
    printf '\033[32mdemo: the package was installed and completely removed.\033[0m\n'
    exit 0
fi
printf '\033[31mdemo: %d check(s) failed.\033[0m\n' "$failures"
exit 1
