#!/bin/sh
# Provisioning of the server runtime: the layout it creates, a second run that changes
# nothing, repair of the files it owns, the user's web application left alone, and the
# errors for a missing Tomcat, JDK or JSP compiler.
#
# usage: provision-test.sh PROVISION_SCRIPT
set -eu

provision=$1
templates=$(dirname -- "$provision")
root=$(mktemp -d "${TMPDIR:-/tmp}/brewdeck-provision-test.XXXXXX")
trap 'rm -rf -- "$root"' EXIT
trap 'exit 130' INT TERM HUP

export HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data"
export XDG_RUNTIME_DIR="$root/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"

case_name=""
fail() {
    printf 'FAIL [%s]: %s\n' "$case_name" "$*" >&2
    exit 1
}

# Everything that would show a rewrite: type, mode, size, inode (a file renamed into place
# gets a new one), modification time, link target, and the bytes.
snapshot() {
    (
        cd -- "$1"
        find . -printf '%p|%y|%m|%s|%i|%T@|%l\n' | LC_ALL=C sort
        find . -type f -exec sha256sum -- {} + | LC_ALL=C sort -k 2
    )
}

# provision_ok DEST: runs the script, which must succeed and say nothing.
provision_ok() {
    if ! /bin/sh "$provision" "$1" >"$root/out" 2>&1 </dev/null; then
        fail "provisioning failed: $(cat "$root/out")"
    fi
    [ ! -s "$root/out" ] || fail "provisioning printed: $(cat "$root/out")"
}

# A folder name with spaces, both quote characters, a dollar sign and Chinese.
dest="$root/it's \"my\" \$HOME 服务器 folder"
home="$dest/apache-tomcat-7.0.22"
app="$home/webapps/brewdeck"
tomcat=/usr/share/tomcat10

case_name="fresh folder"
provision_ok "$dest"
for f in startup.sh shutdown.sh catalina.sh setclasspath.sh setenv.sh; do
    [ -f "$home/bin/$f" ] && [ -x "$home/bin/$f" ] || fail "bin/$f is missing or not executable"
done
for f in bootstrap.jar tomcat-juli.jar; do
    cmp -s "$tomcat/bin/$f" "$home/bin/$f" || fail "bin/$f differs from $tomcat/bin/$f"
done
for f in "$tomcat"/lib/*.jar; do
    cmp -s "$f" "$home/lib/${f##*/}" || fail "lib/${f##*/} does not lead to $f"
done
[ -e "$home/lib/eclipse-jdt-core.jar" ] || fail "lib has no JSP compiler"
for f in server.xml context.xml web.xml catalina.properties logging.properties; do
    cmp -s "$templates/conf/$f" "$home/conf/$f" || fail "conf/$f is not the project's"
done
for d in logs temp work webapps/brewdeck/WEB-INF/classes webapps/brewdeck/WEB-INF/lib; do
    [ -d "$home/$d" ] || fail "folder $d is missing"
done
iconv -f UTF-8 -t UTF-8 "$app/index.jsp" >/dev/null 2>&1 || fail "index.jsp is not UTF-8"
grep -Fq '你好' "$app/index.jsp" || fail "index.jsp has no Chinese greeting"
for link in jdk1.7.0_01 jre7; do
    [ -L "$dest/$link" ] || fail "$link is not a link to the system JDK"
done
[ -x "$dest/jdk1.7.0_01/bin/javac" ] || fail "jdk1.7.0_01 has no javac"
"$dest/jre7/bin/java" -version >/dev/null 2>&1 || fail "jre7/bin/java does not run"

case_name="second run"
snapshot "$dest" >"$root/before"
provision_ok "$dest"
snapshot "$dest" >"$root/after"
diff "$root/before" "$root/after" >"$root/diff" || fail "the second run changed: $(cat "$root/diff")"

case_name="user files"
printf '<%%= "my own page" %%>\n' >"$app/index.jsp"
printf 'not really a jar\n' >"$app/WEB-INF/lib/mine.jar"
mkdir -p "$app/WEB-INF/classes/demo" "$home/webapps/other"
printf 'class bytes\n' >"$app/WEB-INF/classes/demo/Hello.class"
printf '<html></html>\n' >"$home/webapps/other/index.html"
printf '<web-app/>\n' >"$app/WEB-INF/web.xml"
snapshot "$home/webapps" >"$root/before"
provision_ok "$dest"
snapshot "$home/webapps" >"$root/after"
diff "$root/before" "$root/after" >"$root/diff" || fail "the user's files changed: $(cat "$root/diff")"
# Only what is missing is filled in again.
rm -f -- "$app/index.jsp"
rm -rf -- "$app/WEB-INF/classes"
provision_ok "$dest"
cmp -s "$templates/webapp/index.jsp" "$app/index.jsp" || fail "a deleted index.jsp did not come back"
[ -d "$app/WEB-INF/classes" ] || fail "a deleted WEB-INF/classes did not come back"
[ -f "$app/WEB-INF/lib/mine.jar" ] || fail "the user's JAR is gone"

case_name="repair"
printf '<Server/>\n' >"$home/conf/server.xml"
chmod 644 "$home/bin/startup.sh"
rm -f -- "$home/bin/catalina.sh" "$home/lib/jasper.jar"
ln -sfn "$root/elsewhere" "$dest/jre7"
ln -s "$root/gone.jar" "$home/lib/gone.jar"
snapshot "$home/webapps" >"$root/before"
provision_ok "$dest"
cmp -s "$templates/conf/server.xml" "$home/conf/server.xml" || fail "conf/server.xml was not restored"
[ -x "$home/bin/startup.sh" ] || fail "bin/startup.sh is not executable again"
cmp -s "$tomcat/bin/catalina.sh" "$home/bin/catalina.sh" || fail "bin/catalina.sh was not restored"
[ -e "$home/lib/jasper.jar" ] || fail "lib/jasper.jar was not restored"
[ "$(readlink -f "$dest/jre7")" = "$(readlink -f "$dest/jdk1.7.0_01")" ] \
    || fail "jre7 does not lead to the JDK again"
[ ! -L "$home/lib/gone.jar" ] || fail "a dangling link in lib was kept"
snapshot "$home/webapps" >"$root/after"
diff "$root/before" "$root/after" >"$root/diff" || fail "repairing changed the user's files: $(cat "$root/diff")"
snapshot "$dest" >"$root/before"
provision_ok "$dest"
snapshot "$dest" >"$root/after"
diff "$root/before" "$root/after" >"$root/diff" || fail "the run after a repair changed: $(cat "$root/diff")"

# Each row: case | variable | value | text the message must contain. Nothing may be
# created when an input is missing.
mkdir -p "$root/half tomcat/bin" "$root/jre only/bin" "$root/empty bin"
cp "$tomcat/bin/catalina.sh" "$tomcat/bin/bootstrap.jar" "$root/half tomcat/bin/"
printf '#!/bin/sh\n' >"$root/jre only/bin/java"
chmod 755 "$root/jre only/bin/java"
while IFS='|' read -r case_name variable value expected; do
    target="$root/not created"
    status=0
    env "$variable=$value" /bin/sh "$provision" "$target" >"$root/out" 2>&1 </dev/null || status=$?
    [ "$status" -ne 0 ] || fail "provisioning succeeded"
    grep -Fq -- "$expected" "$root/out" || fail "the message lacks \"$expected\": $(cat "$root/out")"
    [ ! -e "$target" ] || fail "provisioning created $target"
done <<ROWS
no Tomcat|BREWDECK_TOMCAT_DIR|$root/no tomcat|tomcat10-common
Tomcat without lib|BREWDECK_TOMCAT_DIR|$root/half tomcat|tomcat10-common
no JDK folder|BREWDECK_JDK_DIR|$root/no jdk|openjdk-17-jdk-headless
JRE without javac|BREWDECK_JDK_DIR|$root/jre only|is not a JDK
no javac on PATH|PATH|$root/empty bin|javac is not on PATH
no JSP compiler|BREWDECK_JDT_JAR|$root/no-jdt.jar|libeclipse-jdt-core-java
ROWS

case_name="no destination"
status=0
/bin/sh "$provision" >"$root/out" 2>&1 </dev/null || status=$?
[ "$status" -eq 2 ] || fail "exit status $status, expected 2"
grep -Fq "usage:" "$root/out" || fail "no usage message: $(cat "$root/out")"

echo "provisioning: layout, idempotence, repair, user files and errors checked"
