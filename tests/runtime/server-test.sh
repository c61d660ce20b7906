#!/bin/sh
# Runs a freshly provisioned server the way Brewdeck does: /bin/sh startup.sh and
# shutdown.sh from the server's bin folder, with JRE_HOME, JAVA_HOME and CATALINA_HOME
# pointing at the provisioned folders. Starts the real server on ports 8080 and 8005, so
# it runs under the port lock (tests/tools/with-server-lock.sh).
#
# usage: server-test.sh PROVISION_SCRIPT
set -eu

provision=$1
root=$(mktemp -d "${TMPDIR:-/tmp}/brewdeck-server-test.XXXXXX")
# A space and non-ASCII characters, as in a learner's own folders; the C locale below
# makes sure the server copes with such a path whatever the user's locale.
dest="$root/server home 服务器"
home="$dest/apache-tomcat-7.0.22"
app="$home/webapps/brewdeck"
server_pid=""

export HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data"
export XDG_RUNTIME_DIR="$root/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export LC_ALL=C
unset CATALINA_BASE CATALINA_OPTS CATALINA_OUT CATALINA_PID CATALINA_TMPDIR JAVA_OPTS \
    JDK_JAVA_OPTIONS 2>/dev/null || true

test_log="$root/scripts.log"
. "$(dirname "$0")/../tools/server-cleanup.sh"

# Local addresses listening on a TCP port, one a line.
listeners() {
    ss -ltnH "( sport = :$1 )" | awk '{ print $4 }'
}

# run_script NAME: what Brewdeck does to start or stop the server.
run_script() {
    (
        cd -- "$home/bin"
        JRE_HOME="$dest/jre7" JAVA_HOME="$dest/jdk1.7.0_01" CATALINA_HOME="$home" \
            exec /bin/sh "$1"
    ) >>"$root/scripts.log" 2>&1 </dev/null
}

# fetch PATH FILE: prints the HTTP status ("000" when nothing answers).
fetch() {
    curl --silent --globoff --max-time 10 --output "$2" --write-out '%{http_code}' \
        "http://127.0.0.1:8080$1" 2>/dev/null || true
}

# wait_for_page PATH TEXT SECONDS: until PATH answers 200 with TEXT in the body.
wait_for_page() {
    deadline=$(($(date +%s) + $3))
    code=000
    while [ "$(date +%s)" -le "$deadline" ]; do
        code=$(fetch "$1" "$root/body")
        if [ "$code" = 200 ] && grep -Fq -- "$2" "$root/body"; then
            return 0
        fi
        # A page that does not compile stays broken; anything else may be a reload.
        [ "$code" != 500 ] || fail "$1 answered 500: $(head -c 2000 "$root/body")"
        kill -0 "$server_pid" 2>/dev/null || fail "the server exited while waiting for $1"
        sleep 1
    done
    fail "$1 did not answer 200 with \"$2\" within $3 s (last status $code: $(head -c 300 "$root/body" 2>/dev/null))"
}

/bin/sh "$provision" "$dest" || fail "provisioning failed"

for port in 8080 8005; do
    [ -z "$(listeners $port)" ] \
        || fail "port $port is already in use by a server this test did not start"
done

# A class in WEB-INF/classes, a page that uses it, and a second build of the class to
# copy over it later.
# (javac itself runs in the C locale here, so it builds in an ASCII-named folder.)
for v in v1 v2; do
    mkdir -p "$root/src/$v/demo" "$root/$v"
    printf 'package demo;\npublic class Greeter {\n    public static String greet() { return "greeting %s"; }\n}\n' \
        "$v" >"$root/src/$v/demo/Greeter.java"
    "$dest/jdk1.7.0_01/bin/javac" -d "$root/$v" "$root/src/$v/demo/Greeter.java"
done
mkdir -p "$app/WEB-INF/classes/demo"
cp "$root/v1/demo/Greeter.class" "$app/WEB-INF/classes/demo/"
printf '%s\n' '<%@ page contentType="text/plain; charset=UTF-8" import="demo.Greeter" %><%= Greeter.greet() %>' \
    >"$app/greet.jsp"
# A page with a non-ASCII file name that needs the JDK's own language level (a record).
cat >"$app/你好.jsp" <<'JSP'
<%@ page contentType="text/plain; charset=UTF-8" pageEncoding="UTF-8" %>
<%! record Point(int x, int y) {} %>
中文页面 <%= new Point(1, 2) %>
JSP

run_script startup.sh || fail "startup.sh exited with status $?"
# startup.sh returns once the JVM is launched in the background.
deadline=$(($(date +%s) + 30))
server_pid=$(server_pids)
while [ -z "$server_pid" ] && [ "$(date +%s)" -le "$deadline" ]; do
    sleep 1
    server_pid=$(server_pids)
done
[ -n "$server_pid" ] || fail "startup.sh started no server"

wait_for_page /brewdeck/index.jsp "你好" 120
body=$(cat "$root/body")
case $body in *"<%"*) fail "index.jsp was served as source: $body" ;; esac
grep -Fq "Hello" "$root/body" || fail "index.jsp has no English greeting: $body"
grep -Eq '[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}' "$root/body" \
    || fail "index.jsp shows no server time: $body"

# The shutdown port opens once start-up is complete, just after HTTP.
for port in 8080 8005; do
    deadline=$(($(date +%s) + 60))
    while [ -z "$(listeners $port)" ] && [ "$(date +%s)" -le "$deadline" ]; do
        sleep 1
    done
    # Java's dual-stack socket shows the IPv4 loopback address in its IPv6-mapped form.
    addresses=$(listeners $port)
    case $addresses in
        "127.0.0.1:$port" | "[::ffff:127.0.0.1]:$port") ;;
        *) fail "port $port should listen on 127.0.0.1 only, listens on: ${addresses:-nothing}" ;;
    esac
done

wait_for_page "/brewdeck/%E4%BD%A0%E5%A5%BD.jsp" "中文页面 Point[x=1, y=2]" 60

wait_for_page /brewdeck/greet.jsp "greeting v1" 60
# Replace the class the way Brewdeck copies files (a temporary name, then a rename): the
# application must reload and the page show the new class.
cp "$root/v2/demo/Greeter.class" "$app/WEB-INF/classes/demo/Greeter.class.part"
mv -f "$app/WEB-INF/classes/demo/Greeter.class.part" "$app/WEB-INF/classes/demo/Greeter.class"
wait_for_page /brewdeck/greet.jsp "greeting v2" 90

run_script shutdown.sh || fail "shutdown.sh exited with status $?"
deadline=$(($(date +%s) + 60))
while [ "$(date +%s)" -le "$deadline" ]; do
    if [ -z "$(listeners 8080)" ] && [ -z "$(listeners 8005)" ] \
        && ! kill -0 "$server_pid" 2>/dev/null; then
        break
    fi
    sleep 1
done
[ -z "$(listeners 8080)" ] || fail "port 8080 still listens 60 s after shutdown.sh"
[ -z "$(listeners 8005)" ] || fail "port 8005 still listens 60 s after shutdown.sh"
! kill -0 "$server_pid" 2>/dev/null || fail "the server is still running 60 s after shutdown.sh"

grep -Eq 'Server version name: +Apache Tomcat/9\.0\.[0-9]+' "$home/logs/catalina.out" \
    || fail "the server that ran is not Tomcat 9"
# Settings the server did not understand, or errors, show up in its log.
if grep -E 'SEVERE|[Ff]ailed to set property|not find a matching property' \
    "$home/logs/catalina.out" >"$root/problems"; then
    fail "the server logged problems: $(cat "$root/problems")"
fi
echo "server started, served the pages, reloaded a changed class and stopped"
