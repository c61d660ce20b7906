#!/bin/sh
# Installs the Debian packages that building, running and testing Brewdeck need.
# Only missing packages are installed, so a second run costs a dpkg query.
set -eu

PACKAGES="build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libx11-dev
libtomcat9-java tomcat10-common libeclipse-jdt-core-java openjdk-17-jdk-headless
libtaglibs-standard-impl-java libtaglibs-standard-spec-java
xvfb xauth xdotool x11-utils imagemagick fonts-wqy-microhei qt6-translations-l10n
dbus dbus-x11 xdg-utils shared-mime-info desktop-file-utils libglib2.0-bin curl iproute2 procps
appstream strace clang-14 libclang-rt-14-dev"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "brewdeck: these packages are missing:$missing" >&2
        echo "brewdeck: run this script as root to install them" >&2
        exit 1
    fi
    echo "brewdeck: installing$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    # shellcheck disable=SC2086
    apt-get install -y -q --no-install-recommends $missing
fi
