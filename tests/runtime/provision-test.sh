#!/bin/sh
# Provisioning of the server runtime: the layout it creates, a second run that changes
# nothing, repair of the files it owns, the user's web application left alone, and the
# errors for a missing Tomcat, JDK or JSP compiler; a Tomcat 10 home upgraded to Tomcat 9.
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
jars=/usr/share/java
scripts=/usr/share/tomcat10/bin

# Each Tomcat 9 JAR of lib: Tomcat's own name, then Debian's.
TOMCAT_LIB_JARS="annotations-api:annotations-api tomcat-api:api catalina:catalina
catalina-ant:catalina-ant catalina-ha:catalina-ha tomcat-coyote:coyote tomcat-dbcp:dbcp
el-api:el-api jasper:jasper jasper-el:jasper-el jaspic-api:jaspic-api tomcat-jdbc:jdbc
tomcat-jni:jni jsp-api:jsp-api servlet-api:servlet-api catalina-storeconfig:storeconfig
catalina-tribes:tribes tomcat-util:util tomcat-util-scan:util-scan
tomcat-websocket:websocket websocket-api:websocket-api"

# check_tomcat9_home: the home runs Tomcat 9 and nothing of Tomcat 10 is left in it.
check_tomcat9_home() {
    for f in startup.sh shutdown.sh catalina.sh setclasspath.sh setenv.sh version.sh; do
        [ -f "$home/bin/$f" ] && [ -x "$home/bin/$f" ] || fail "bin/$f is missing or not executable"
    done
    [ ! -e "$home/bin/migrate.sh" ] || fail "bin keeps Tomcat 10's migration script"
    cmp -s "$jars/tomcat9-juli.jar" "$home/bin/tomcat-juli.jar" \
        || fail "bin/tomcat-juli.jar is not Tomcat 9's"
    # The bootstrap holds Tomcat 9's own launcher classes, byte for byte.
    rm -rf -- "${root:?}/boot" "${root:?}/cat"
    mkdir -p "$root/boot" "$root/cat"
    (cd "$root/boot" && jar --extract --file "$home/bin/bootstrap.jar") || fail "bin/bootstrap.jar is no JAR"
    tr -d '\r' <"$root/boot/META-INF/MANIFEST.MF" | grep -Fqx 'Main-Class: org.apache.catalina.startup.Bootstrap' \
        || fail "bin/bootstrap.jar does not start Tomcat's Bootstrap"
    (cd "$root/cat" && jar --extract --file "$jars/tomcat9-catalina.jar" \
        org/apache/catalina/startup/Bootstrap.class org/apache/catalina/startup/ClassLoaderFactory.class)
    for c in Bootstrap ClassLoaderFactory; do
        cmp -s "$root/cat/org/apache/catalina/startup/$c.class" \
            "$root/boot/org/apache/catalina/startup/$c.class" \
            || fail "bootstrap.jar's $c.class is not Tomcat 9's"
    done
    for pair in $TOMCAT_LIB_JARS; do
        cmp -s "$jars/tomcat9-${pair#*:}.jar" "$home/lib/${pair%%:*}.jar" \
            || fail "lib/${pair%%:*}.jar does not lead to tomcat9-${pair#*:}.jar"
    done
    [ -e "$home/lib/eclipse-jdt-core.jar" ] || fail "lib has no JSP compiler"
    if find "$home/lib" "$home/bin" -lname '*tomcat10*' | grep .; then
        fail "Tomcat 10 is still linked from lib or bin"
    fi
    [ ! -e "$home/lib/websocket-client-api.jar" ] && [ ! -L "$home/lib/websocket-client-api.jar" ] \
        || fail "Tomcat 10's websocket-client-api.jar is still in lib"
    # No JSTL in the server's own lib: users bring it as a JAR of their application.
    for f in "$home"/lib/*; do
        case ${f##*/} in *taglibs* | *jstl*) fail "lib holds JSTL: $f" ;; esac
    done
    # Through a plain alias: catalina.sh evaluates the folder's name as shell code.
    ln -sfn -- "$dest" "$root/alias"
    JAVA_HOME="$root/alias/jdk1.7.0_01" CATALINA_HOME="$root/alias/apache-tomcat-7.0.22" \
        /bin/sh "$root/alias/apache-tomcat-7.0.22/bin/version.sh" \
        >"$root/version" 2>&1 </dev/null || fail "version.sh failed: $(cat "$root/version")"
    grep -Eq '^Server version: +Apache Tomcat/9\.0\.[0-9]+' "$root/version" \
        || fail "version.sh does not report Apache Tomcat/9.0.x: $(cat "$root/version")"
}

case_name="fresh folder"
provision_ok "$dest"
check_tomcat9_home
for f in "$scripts"/*.sh; do
    [ "${f##*/}" = migrate.sh ] || cmp -s "$f" "$home/bin/${f##*/}" || fail "bin/${f##*/} is not Tomcat's"
done
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
rm -f -- "$home/bin/catalina.sh" "$home/lib/jasper.jar" "$home/bin/bootstrap.jar"
ln -sfn "$root/elsewhere" "$dest/jre7"
ln -s "$root/gone.jar" "$home/lib/gone.jar"
snapshot "$home/webapps" >"$root/before"
provision_ok "$dest"
cmp -s "$templates/conf/server.xml" "$home/conf/server.xml" || fail "conf/server.xml was not restored"
[ -x "$home/bin/startup.sh" ] || fail "bin/startup.sh is not executable again"
cmp -s "$scripts/catalina.sh" "$home/bin/catalina.sh" || fail "bin/catalina.sh was not restored"
[ -e "$home/lib/jasper.jar" ] || fail "lib/jasper.jar was not restored"
[ -f "$home/bin/bootstrap.jar" ] || fail "bin/bootstrap.jar was not rebuilt"
[ "$(readlink -f "$dest/jre7")" = "$(readlink -f "$dest/jdk1.7.0_01")" ] \
    || fail "jre7 does not lead to the JDK again"
[ ! -L "$home/lib/gone.jar" ] || fail "a dangling link in lib was kept"
snapshot "$home/webapps" >"$root/after"
diff "$root/before" "$root/after" >"$root/diff" || fail "repairing changed the user's files: $(cat "$root/diff")"
snapshot "$dest" >"$root/before"
provision_ok "$dest"
snapshot "$dest" >"$root/after"
diff "$root/before" "$root/after" >"$root/diff" || fail "the run after a repair changed: $(cat "$root/diff")"

# A build folder that an older version provisioned with Tomcat 10: bin copied and lib
# linked from tomcat10-common, pages compiled by Tomcat 10 in work/, the user's pages in
# webapps and a JAR the user dropped into lib by hand.
case_name="upgrade from Tomcat 10"
old="$root/old build"
oldhome="$old/apache-tomcat-7.0.22"
oldapp="$oldhome/webapps/brewdeck"
mkdir -p "$oldhome/bin" "$oldhome/lib" "$oldhome/conf" "$oldhome/logs" "$oldhome/temp" \
    "$oldapp/WEB-INF/classes" "$oldapp/WEB-INF/lib"
for f in "$scripts"/*; do
    cp -- "$f" "$oldhome/bin/"
done
for f in /usr/share/tomcat10/lib/*.jar; do
    ln -s -- "$f" "$oldhome/lib/${f##*/}"
done
ln -s /usr/share/java/eclipse-jdt-core.jar "$oldhome/lib/eclipse-jdt-core.jar"
printf 'PK not really a driver\n' >"$oldhome/lib/mysql-connector-j.jar"
printf 'PK my own library\n' >"$root/my-lib.jar"
ln -s "$root/my-lib.jar" "$oldhome/lib/my-lib.jar"
jdk=$(dirname -- "$(dirname -- "$(readlink -f -- "$(command -v javac)")")")
ln -s "$jdk" "$old/jdk1.7.0_01"
ln -s "$jdk" "$old/jre7"
printf '<%%= "mine" %%>\n' >"$oldapp/index.jsp"
printf 'PK user jar\n' >"$oldapp/WEB-INF/lib/jstl.jar"
jsp="$oldhome/work/Catalina/localhost/brewdeck/org/apache/jsp"
mkdir -p "$jsp"
printf 'package org.apache.jsp;\nimport jakarta.servlet.*;\n' >"$jsp/index_jsp.java"
printf '\312\376\272\276 jakarta/servlet/http/HttpServletRequest\n' >"$jsp/index_jsp.class"
printf 'package org.apache.jsp;\nimport javax.servlet.*;\n' >"$jsp/hello_jsp.java"
snapshot "$oldhome/webapps" >"$root/before"
provision_ok "$old"
dest=$old home=$oldhome app=$oldapp check_tomcat9_home
[ -f "$oldhome/lib/mysql-connector-j.jar" ] || fail "the JAR the user put in lib is gone"
[ "$(readlink "$oldhome/lib/my-lib.jar")" = "$root/my-lib.jar" ] \
    || fail "the user's own link in lib is gone"
[ ! -e "$jsp/index_jsp.java" ] && [ ! -e "$jsp/index_jsp.class" ] \
    || fail "pages compiled by Tomcat 10 are still in work/"
[ -f "$jsp/hello_jsp.java" ] || fail "a page compiled for javax.servlet was dropped from work/"
snapshot "$oldhome/webapps" >"$root/after"
diff "$root/before" "$root/after" >"$root/diff" || fail "upgrading changed the user's files: $(cat "$root/diff")"
snapshot "$old" >"$root/before"
provision_ok "$old"
snapshot "$old" >"$root/after"
diff "$root/before" "$root/after" >"$root/diff" || fail "the run after the upgrade changed: $(cat "$root/diff")"

# Each row: case | variable | value | text the message must contain. Nothing may be
# created when an input is missing, and an existing home is left as it was.
mkdir -p "$root/half tomcat9" "$root/no scripts" "$root/jre only/bin" "$root/empty bin" \
    "$root/jdk without jar/bin"
for f in "$jars"/tomcat9-*.jar; do
    case $f in */tomcat9-juli.jar) ;; *) ln -s "$f" "$root/half tomcat9/" ;; esac
done
cp "$scripts/catalina.sh" "$scripts/startup.sh" "$root/no scripts/"
printf '#!/bin/sh\n' >"$root/jre only/bin/java"
chmod 755 "$root/jre only/bin/java"
cp "$root/jre only/bin/java" "$root/jdk without jar/bin/java"
cp "$root/jre only/bin/java" "$root/jdk without jar/bin/javac"
while IFS='|' read -r case_name variable value expected; do
    for target in "$root/not created" "$old"; do
        [ ! -e "$target" ] || snapshot "$target" >"$root/before"
        status=0
        env "$variable=$value" /bin/sh "$provision" "$target" >"$root/out" 2>&1 </dev/null || status=$?
        [ "$status" -ne 0 ] || fail "provisioning succeeded"
        grep -Fq -- "$expected" "$root/out" || fail "the message lacks \"$expected\": $(cat "$root/out")"
        if [ "$target" = "$old" ]; then
            snapshot "$target" >"$root/after"
            diff "$root/before" "$root/after" >"$root/diff" || fail "a failed run changed $target: $(cat "$root/diff")"
        else
            [ ! -e "$target" ] || fail "provisioning created $target"
        fi
    done
done <<ROWS
no Tomcat 9|BREWDECK_TOMCAT_JARS|$root/no tomcat|libtomcat9-java
Tomcat 9 without juli|BREWDECK_TOMCAT_JARS|$root/half tomcat9|libtomcat9-java
no start scripts|BREWDECK_TOMCAT_SCRIPTS|$root/no scripts|tomcat10-common
no JDK folder|BREWDECK_JDK_DIR|$root/no jdk|openjdk-17-jdk-headless
JRE without javac|BREWDECK_JDK_DIR|$root/jre only|is not a JDK
JDK without jar|BREWDECK_JDK_DIR|$root/jdk without jar|is not a JDK
no javac on PATH|PATH|$root/empty bin|javac is not on PATH
no JSP compiler|BREWDECK_JDT_JAR|$root/no-jdt.jar|libeclipse-jdt-core-java
ROWS

case_name="no destination"
status=0
/bin/sh "$provision" >"$root/out" 2>&1 </dev/null || status=$?
[ "$status" -eq 2 ] || fail "exit status $status, expected 2"
grep -Fq "usage:" "$root/out" || fail "no usage message: $(cat "$root/out")"

echo "provisioning: layout, idempotence, repair, user files and errors checked"
