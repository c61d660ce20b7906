#!/bin/sh
# Installs Brewdeck into a fresh prefix with "cmake --install", checks the
# installed desktop files with the desktop's own validators, then starts the
# installed program through its link in bin under the X server, starts the web
# service through its menu and fetches the home page. It starts the real
# server, so it runs under the port lock (tests/tools/with-server-lock.sh).
#
# usage: install-test.sh BUILD_DIR
set -eu

build=$1
root=$(mktemp -d "${TMPDIR:-/tmp}/brewdeck-install-test.XXXXXX")
# A space and Chinese, as in a learner's own folders.
prefix="$root/my prefix 前缀"
program_pid=""
home=""

export HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data"
export XDG_RUNTIME_DIR="$root/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM CATALINA_BASE CATALINA_OPTS CATALINA_OUT CATALINA_PID CATALINA_TMPDIR JAVA_OPTS \
    JDK_JAVA_OPTIONS 2>/dev/null || true

test_log="$root/install.log"
. "$(dirname "$0")/../tools/server-cleanup.sh"

http_status() {
    curl --silent --globoff --max-time 10 --output /dev/null --write-out '%{http_code}' "$1" || true
}

[ -n "${DISPLAY:-}" ] || fail "this test needs an X server (run under xvfb-run)"

cmake --install "$build" --prefix "$prefix" >"$root/install.log" 2>&1 || fail "cmake --install failed"

# The executable and its runtime in one folder, with bin/brewdeck a link to it.
[ -L "$prefix/bin/brewdeck" ] || fail "$prefix/bin/brewdeck is not a symbolic link"
exe=$(readlink -f -- "$prefix/bin/brewdeck")
appdir=${exe%/*}
case $appdir in
    "$prefix"/*) ;;
    *) fail "the link points outside the prefix: $exe" ;;
esac
[ -x "$exe" ] && [ -f "$exe" ] || fail "no executable at $exe"
home="$appdir/apache-tomcat-7.0.22"
for f in "$home/bin/startup.sh" "$home/bin/shutdown.sh" "$home/conf/server.xml" \
    "$home/webapps/brewdeck/index.jsp" "$appdir/jre7/bin/java" "$appdir/jdk1.7.0_01/bin/javac"; do
    [ -e "$f" ] || fail "the installed runtime lacks $f"
done

# The desktop files, valid and pointing at the installed program.
share="$prefix/share"
desktop-file-validate "$share/applications/brewdeck.desktop" || fail "desktop-file-validate rejects the entry"
for metainfo in "$share"/metainfo/*.metainfo.xml; do
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $metainfo"
done
grep -Fxq "Exec=\"$prefix/bin/brewdeck\" %f" "$share/applications/brewdeck.desktop" \
    || fail "the desktop entry does not start $prefix/bin/brewdeck"
grep -Fxq "Exec='$prefix/bin/brewdeck' -Embedding" "$share/dbus-1/services/Brewdeck.Document.service" \
    || fail "the activation file does not start $prefix/bin/brewdeck"
for f in icons/hicolor/scalable/apps/brewdeck.svg icons/hicolor/scalable/mimetypes/application-x-brewdeck-document.svg \
    dbus-1/interfaces/Brewdeck.IBrewdeck.xml mime/packages/brewdeck.xml; do
    [ -s "$share/$f" ] || fail "$share/$f was not installed"
done
grep -q '^[0-9]*:application/x-brewdeck-document:\*\.bdk$' "$share/mime/globs2" \
    || fail "the installed MIME database does not know *.bdk"

# Installed for one user, the share folder is the user's own data folder: the
# program's registration then takes none of the installed files for its own.
sums() {
    (cd "$share" && find . -type f ! -path './mime/*' ! -name mimeinfo.cache -exec sha256sum {} + | sort)
}
before=$(sums)
XDG_DATA_HOME="$share" QT_QPA_PLATFORM=offscreen "$prefix/bin/brewdeck" -Register 2>"$root/register.err" \
    || fail "brewdeck -Register failed on the installed files"
[ "$(sums)" = "$before" ] || fail "brewdeck -Register changed installed files"
for f in applications/brewdeck.desktop mime/packages/brewdeck.xml dbus-1/services/Brewdeck.Document.service \
    dbus-1/interfaces/Brewdeck.IBrewdeck.xml icons/hicolor/scalable/apps/brewdeck.svg; do
    grep -Fq "$share/$f" "$root/register.err" || fail "brewdeck -Register did not name $f as left alone"
done

# The installed program, started through its link, starts the server from its menu.
"$prefix/bin/brewdeck" </dev/null >"$root/program.log" 2>&1 &
program_pid=$!
window=""
i=0
while [ -z "$window" ] && [ $i -lt 300 ]; do
    window=$(xdotool search --onlyvisible --pid "$program_pid" --name '^Brewdeck - Brewdeck$' 2>/dev/null | head -n 1) || true
    [ -n "$window" ] || sleep 0.1
    i=$((i + 1))
done
[ -n "$window" ] || fail "the installed program showed no main window"
xdotool windowfocus --sync "$window"
# WEB服务(&W) opens with its first enabled item, 启动 WEB服务, selected.
xdotool key alt+w
sleep 0.5
xdotool key Return

status=""
i=0
while [ "$status" != 200 ] && [ $i -lt 240 ]; do
    sleep 1
    status=$(http_status http://127.0.0.1:8080/brewdeck/index.jsp)
    i=$((i + 1))
done
[ "$status" = 200 ] || fail "the home page answered \"$status\", not 200"
[ -n "$(server_pids)" ] || fail "the server that answered is not the installed one"

# 停止 WEB服务 is now the menu's only enabled item.
xdotool windowfocus --sync "$window"
xdotool key alt+w
sleep 0.5
xdotool key Return
i=0
while [ -n "$(server_pids)" ] && [ $i -lt 120 ]; do
    sleep 1
    i=$((i + 1))
done
[ -z "$(server_pids)" ] || fail "the server did not stop through the menu"
echo "PASS: installed into $prefix; the installed program served its home page"
