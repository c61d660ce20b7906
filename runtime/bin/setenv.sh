# Sourced by catalina.sh before it starts the JVM.

# The JVM decodes file names with the locale's character set. Under a C or legacy locale
# a server home or JSP file with a non-ASCII name could not be opened, so make sure the
# character type is UTF-8; the other locale categories are left as the user has them.
case ${LC_ALL:-${LC_CTYPE:-${LANG:-}}} in
    *.UTF-8 | *.utf8 | *.UTF8 | *.utf-8) ;;
    *)
        if [ -n "${LC_ALL:-}" ]; then
            LC_ALL=C.UTF-8
            export LC_ALL
        else
            LC_CTYPE=C.UTF-8
            export LC_CTYPE
        fi
        ;;
esac

# JSP pages, logs and the console all speak UTF-8 whatever the platform default is.
CATALINA_OPTS="${CATALINA_OPTS:-} -Dfile.encoding=UTF-8 -Dsun.stdout.encoding=UTF-8 -Dsun.stderr.encoding=UTF-8"

# Tomcat turns catalina.base into its real path, where a '"' would break the class
# loader list of catalina.properties. The folder the scripts were given never holds one
# (Brewdeck hands them a link when the install folder does), so lib is named through it.
# JAVA_OPTS, not CATALINA_OPTS: stopping builds the same class loaders.
JAVA_OPTS="${JAVA_OPTS:-} -Dbrewdeck.server.lib=\"$CATALINA_BASE/lib\""
