#!/bin/sh
# Lays out the server runtime that Brewdeck expects beside its executable:
#   DEST/apache-tomcat-7.0.22   a Tomcat 9 home: lib linked to Debian's Tomcat 9 JARs and
#                               the JSP compiler, bin with Tomcat's start and stop scripts,
#                               a bootstrap.jar built here from Tomcat 9's own classes and
#                               tomcat-juli of the same release, our conf, and the
#                               "brewdeck" web application
#   DEST/jdk1.7.0_01, DEST/jre7 links to the system JDK
# Tomcat 9 and not 10: learners bring javax.servlet pages, servlets and JSTL JARs, which
# Tomcat 10 (jakarta.*) cannot run.
# It runs on every build, so it is silent when there is nothing to do, files we own are
# replaced only when their bytes differ, and nothing the user put in webapps is touched.
# A home that an older version laid out with Tomcat 10 is upgraded in place.
#
# BREWDECK_TOMCAT_JARS, BREWDECK_TOMCAT_SCRIPTS, BREWDECK_JDK_DIR and BREWDECK_JDT_JAR
# override where Tomcat 9's JARs, Tomcat's scripts, the JDK and the JSP compiler are
# taken from.
set -eu

usage() {
    echo "usage: provision.sh DEST" >&2
    exit 2
}

fail() {
    printf 'brewdeck: %s\n' "$*" >&2
    exit 1
}

[ $# -eq 1 ] && [ -n "$1" ] || usage
dest=$1
# No dirname: up to the JDK lookup the script runs on shell builtins alone, so a bare
# PATH still gets the "javac is not on PATH" message.
case $0 in
    */*) templates=${0%/*} ;;
    *) templates=. ;;
esac

# Debian's name of each Tomcat 9 JAR (tomcat9-NAME.jar) and the name Tomcat's own lib
# folder gives it. Debian ships no bootstrap.jar for Tomcat 9; it is built below.
TOMCAT_LIB_JARS="annotations-api:annotations-api api:tomcat-api catalina:catalina
catalina-ant:catalina-ant catalina-ha:catalina-ha coyote:tomcat-coyote dbcp:tomcat-dbcp
el-api:el-api jasper:jasper jasper-el:jasper-el jaspic-api:jaspic-api jdbc:tomcat-jdbc
jni:tomcat-jni jsp-api:jsp-api servlet-api:servlet-api storeconfig:catalina-storeconfig
tribes:catalina-tribes util:tomcat-util util-scan:tomcat-util-scan websocket:tomcat-websocket
websocket-api:websocket-api"

# Check every input before creating anything, so a failed run leaves DEST as it was.
jars=${BREWDECK_TOMCAT_JARS:-/usr/share/java}
for pair in $TOMCAT_LIB_JARS juli:; do
    [ -f "$jars/tomcat9-${pair%%:*}.jar" ] \
        || fail "Tomcat 9 was not found: $jars/tomcat9-${pair%%:*}.jar is missing (install the Debian package libtomcat9-java)"
done

# The start and stop scripts are Tomcat's generic ones; Debian ships them only with
# Tomcat 10, and they start a Tomcat 9 bootstrap the same way.
scripts=${BREWDECK_TOMCAT_SCRIPTS:-/usr/share/tomcat10/bin}
for name in catalina.sh setclasspath.sh startup.sh shutdown.sh version.sh; do
    [ -f "$scripts/$name" ] \
        || fail "Tomcat's start scripts were not found: $scripts/$name is missing (install the Debian package tomcat10-common)"
done

# Jasper compiles JSP pages with the Eclipse compiler; Debian ships it separately.
jdt=${BREWDECK_JDT_JAR:-/usr/share/java/eclipse-jdt-core.jar}
[ -f "$jdt" ] \
    || fail "the JSP compiler $jdt was not found (install the Debian package libeclipse-jdt-core-java)"

if [ -n "${BREWDECK_JDK_DIR:-}" ]; then
    jdk=$BREWDECK_JDK_DIR
else
    javac=$(command -v javac) \
        || fail "no JDK was found: javac is not on PATH (install the Debian package openjdk-17-jdk-headless)"
    # /usr/bin/javac -> /etc/alternatives/javac -> <jdk home>/bin/javac
    jdk=$(dirname -- "$(dirname -- "$(readlink -f -- "$javac")")")
fi
if [ ! -x "$jdk/bin/java" ] || [ ! -x "$jdk/bin/javac" ] || [ ! -x "$jdk/bin/jar" ]; then
    fail "$jdk is not a JDK: it needs bin/java, bin/javac and bin/jar (install the Debian package openjdk-17-jdk-headless)"
fi
jdk=$(readlink -f -- "$jdk")

# put_file SRC DST MODE: DST gets SRC's bytes and MODE, rewritten only when they differ.
# The copy is renamed into place so a running server never reads half a file.
put_file() {
    if [ -L "$2" ] || ! cmp -s -- "$1" "$2" 2>/dev/null; then
        rm -f -- "$2.provision-new"
        cp -- "$1" "$2.provision-new"
        chmod "$3" -- "$2.provision-new"
        mv -f -- "$2.provision-new" "$2"
    elif [ "$(stat -c %a -- "$2")" != "$3" ]; then
        chmod "$3" -- "$2"
    fi
}

# put_link TARGET LINK: LINK points at TARGET. A real folder in its place may be the
# user's own JDK, so it is kept.
put_link() {
    if [ -L "$2" ]; then
        [ "$(readlink -- "$2")" = "$1" ] && return 0
        rm -f -- "$2"
    elif [ -d "$2" ]; then
        printf 'brewdeck: keeping the folder %s in place of a link to %s\n' "$2" "$1" >&2
        return 0
    elif [ -e "$2" ]; then
        rm -f -- "$2"
    fi
    ln -s -- "$1" "$2"
}

home=$dest/apache-tomcat-7.0.22
app=$home/webapps/brewdeck

# Tomcat's build makes bootstrap.jar from a handful of its own classes: the launcher,
# the class loader set-up it needs before any JAR in lib is on the class path, and the
# war: URL handler (with the one tomcat-util class that uses). The same selection is
# taken here from Tomcat 9's catalina and util JARs. It is rebuilt only when those JARs
# change, since the JDK's jar tool costs a second or two on every build otherwise.
catalina_jar=$(readlink -f -- "$jars/tomcat9-catalina.jar")
util_jar=$(readlink -f -- "$jars/tomcat9-util.jar")
bootstrap_source=$(sha256sum -- "$catalina_jar" "$util_jar" | sed 's/ .*//' | tr '\n' ' ')
bootstrap_new=""
built=""
if [ ! -f "$home/bin/bootstrap.jar" ] \
    || [ "$(cat -- "$home/bin/.bootstrap-source" 2>/dev/null)" != "$bootstrap_source" ]; then
    built=$(mktemp -d "${TMPDIR:-/tmp}/brewdeck-bootstrap.XXXXXX")
    trap 'rm -rf -- "$built"' EXIT
    mkdir -- "$built/classes"
    "$jdk/bin/jar" --list --file "$catalina_jar" >"$built/list" \
        || fail "cannot read $catalina_jar"
    grep -E '^(META-INF/(LICENSE|NOTICE)$|org/apache/catalina/startup/(Bootstrap|CatalinaProperties|ClassLoaderFactory|Constants|SafeForkJoinWorkerThreadFactory|Tool)(\$[^/]*)?\.class$|org/apache/catalina/startup/catalina\.properties$|org/apache/catalina/security/SecurityClassLoad\.class$|org/apache/catalina/webresources/war/[^/]+$)' \
        "$built/list" >"$built/wanted" || true
    grep -Fqx org/apache/catalina/startup/Bootstrap.class "$built/wanted" \
        || fail "$catalina_jar holds no Tomcat bootstrap classes (reinstall the Debian package libtomcat9-java)"
    version=$(cd -- "$built" && "$jdk/bin/jar" --extract --file "$catalina_jar" META-INF/MANIFEST.MF \
        && sed -n 's/^Implementation-Version: *\([0-9.]*\).*/\1/p' META-INF/MANIFEST.MF)
    # shellcheck disable=SC2046 # class names never hold blanks
    (cd -- "$built/classes" && "$jdk/bin/jar" --extract --file "$catalina_jar" $(cat -- "$built/wanted") \
        && "$jdk/bin/jar" --extract --file "$util_jar" org/apache/tomcat/util/buf/UriUtil.class) \
        || fail "cannot take the bootstrap classes from $catalina_jar"
    cat >"$built/manifest" <<MANIFEST
Main-Class: org.apache.catalina.startup.Bootstrap
Class-Path: commons-daemon.jar
Specification-Title: Apache Tomcat Bootstrap
Specification-Version: ${version%.*}
Specification-Vendor: Apache Software Foundation
Implementation-Title: Apache Tomcat Bootstrap
Implementation-Version: $version
Implementation-Vendor: Apache Software Foundation
MANIFEST
    # A fixed date keeps the JAR's bytes the same for the same classes.
    "$jdk/bin/jar" --create --file "$built/bootstrap.jar" --manifest "$built/manifest" \
        --date=2000-01-01T00:00:00Z -C "$built/classes" . \
        || fail "cannot build bootstrap.jar with $jdk/bin/jar"
    bootstrap_new=$built/bootstrap.jar
fi

mkdir -p -- "$home/bin" "$home/lib" "$home/conf" "$home/logs" "$home/temp" "$home/work" \
    "$app/WEB-INF/classes" "$app/WEB-INF/lib"

put_link "$jdk" "$dest/jdk1.7.0_01"
put_link "$jdk" "$dest/jre7"

# Copies, not links: startup.sh finds catalina.sh next to itself. The Jakarta migration
# tool's script has no use with Tomcat 9.
for f in "$scripts"/*.sh; do
    name=${f##*/}
    [ -f "$f" ] && [ "$name" != migrate.sh ] || continue
    put_file "$f" "$home/bin/$name" 755
done
rm -f -- "$home/bin/migrate.sh"
put_file "$templates/bin/setenv.sh" "$home/bin/setenv.sh" 755
if [ -n "$bootstrap_new" ]; then
    put_file "$bootstrap_new" "$home/bin/bootstrap.jar" 644
    printf '%s\n' "$bootstrap_source" >"$home/bin/.bootstrap-source"
fi
put_link "$jars/tomcat9-juli.jar" "$home/bin/tomcat-juli.jar"

# Links to the package's own names, so a Debian upgrade is picked up without a rebuild.
for pair in $TOMCAT_LIB_JARS; do
    put_link "$jars/tomcat9-${pair%%:*}.jar" "$home/lib/${pair#*:}.jar"
done
for f in "$jars"/tomcat9-i18n-*.jar; do
    name=${f##*/tomcat9-}
    case $name in
        *-9.*) continue ;; # the versioned twin of a link taken already
    esac
    [ -e "$f" ] && put_link "$f" "$home/lib/tomcat-$name"
done
put_link "$jdt" "$home/lib/eclipse-jdt-core.jar"
# Links an older layout made to Tomcat 10's JARs, and links an upgrade left dangling, go;
# a JAR the user put in lib stays.
for f in "$home"/lib/*; do
    [ -L "$f" ] || continue
    case $(readlink -- "$f") in
        */tomcat10/* | */tomcat10-*) rm -f -- "$f" ;;
        *) [ -e "$f" ] || rm -f -- "$f" ;;
    esac
done

for name in server.xml context.xml web.xml catalina.properties logging.properties; do
    put_file "$templates/conf/$name" "$home/conf/$name" 644
done

# Pages that Tomcat 10 compiled call jakarta.* and would fail to load under Tomcat 9;
# Jasper compiles them again from the pages.
grep -rlZ --include='*.java' --include='*.class' -e 'jakarta/servlet/' -e 'jakarta\.servlet\.' \
    -- "$home/work" 2>/dev/null | xargs -0 -r rm -f --

# The web application belongs to the user: only fill in what is missing.
if [ ! -e "$app/index.jsp" ] && [ ! -L "$app/index.jsp" ]; then
    put_file "$templates/webapp/index.jsp" "$app/index.jsp" 644
fi
