#!/bin/sh
# Lays out the server runtime that Brewdeck expects beside its executable:
#   DEST/apache-tomcat-7.0.22   a Tomcat home: Debian's Tomcat 10 bin and lib, our conf,
#                               and the "brewdeck" web application
#   DEST/jdk1.7.0_01, DEST/jre7 links to the system JDK
# It runs on every build, so it is silent when there is nothing to do, files we own are
# replaced only when their bytes differ, and nothing the user put in webapps is touched.
#
# BREWDECK_TOMCAT_DIR, BREWDECK_JDK_DIR and BREWDECK_JDT_JAR override where the Tomcat
# installation, the JDK and the JSP compiler are taken from.
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

# Check every input before creating anything, so a failed run leaves DEST as it was.
tomcat=${BREWDECK_TOMCAT_DIR:-/usr/share/tomcat10}
if [ ! -f "$tomcat/bin/catalina.sh" ] || [ ! -f "$tomcat/bin/bootstrap.jar" ] \
    || [ ! -f "$tomcat/lib/catalina.jar" ]; then
    fail "Tomcat was not found in $tomcat (install the Debian packages tomcat10-common and libtomcat10-java)"
fi

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
if [ ! -x "$jdk/bin/java" ] || [ ! -x "$jdk/bin/javac" ]; then
    fail "$jdk is not a JDK: it needs bin/java and bin/javac (install the Debian package openjdk-17-jdk-headless)"
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
mkdir -p -- "$home/bin" "$home/lib" "$home/conf" "$home/logs" "$home/temp" "$home/work" \
    "$app/WEB-INF/classes" "$app/WEB-INF/lib"

put_link "$jdk" "$dest/jdk1.7.0_01"
put_link "$jdk" "$dest/jre7"

# Copies, not links: startup.sh finds catalina.sh next to itself, and CATALINA_HOME/bin
# must hold bootstrap.jar and tomcat-juli.jar.
for f in "$tomcat"/bin/*; do
    [ -f "$f" ] || continue
    name=${f##*/}
    case $name in
        *.sh) put_file "$f" "$home/bin/$name" 755 ;;
        *) put_file "$f" "$home/bin/$name" 644 ;;
    esac
done
put_file "$templates/bin/setenv.sh" "$home/bin/setenv.sh" 755

# Links to the package's own names, so a Debian upgrade is picked up without a rebuild.
for f in "$tomcat"/lib/*.jar; do
    [ -e "$f" ] || continue
    put_link "$f" "$home/lib/${f##*/}"
done
put_link "$jdt" "$home/lib/eclipse-jdt-core.jar"
# A jar that an upgrade removed would leave a dangling link behind.
for f in "$home"/lib/*; do
    if [ -L "$f" ] && [ ! -e "$f" ]; then
        rm -f -- "$f"
    fi
done

for name in server.xml context.xml web.xml catalina.properties logging.properties; do
    put_file "$templates/conf/$name" "$home/conf/$name" 644
done

# The web application belongs to the user: only fill in what is missing.
if [ ! -e "$app/index.jsp" ] && [ ! -L "$app/index.jsp" ]; then
    put_file "$templates/webapp/index.jsp" "$app/index.jsp" 644
fi
