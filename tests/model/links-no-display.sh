#!/bin/sh
# Fails when any of the given executables loads a library that needs a
# display: Qt Gui or Widgets, OpenGL, Xlib or xcb. The model stands without
# them.
set -u
status=0
for exe in "$@"; do
    libs=$(ldd "$exe") || { echo "ldd failed on $exe"; exit 1; }
    found=$(printf '%s\n' "$libs" | grep -E 'libQt6(Gui|Widgets|OpenGL)|libX11|libxcb|libGL' || true)
    if [ -n "$found" ]; then
        echo "$exe loads display libraries:"
        printf '%s\n' "$found"
        status=1
    else
        echo "$exe: $(printf '%s\n' "$libs" | grep -o 'libQt6[A-Za-z]*' | sort -u | tr '\n' ' ')"
    fi
done
exit $status
