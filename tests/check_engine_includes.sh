#!/bin/sh
# Fails when an engine folder includes a back-end library directly, or any
# header of the platform stand-ins other than their public API: the engine
# speaks only the Win32, DirectDraw/Direct3D and sound interfaces, never to a
# stand-in's internals or a back end.
src=${1:?usage: check_engine_includes.sh SRC_DIR}
# The public API headers of the stand-ins, the only platform headers the
# engine may include.
public_api='platform/win32/windows\.h|platform/ddraw/ddraw\.h|platform/ddraw/d3d\.h|platform/ddraw/d3dtypes\.h|platform/fmod/fmod\.h'
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*'
status=0
for folder in app diag data show scene render texture music state math; do
  [ -d "$src/$folder" ] || continue
  hits=$(grep -rn -E "$include[<\"]" "$src/$folder" |
         grep -i -E '[<"/](SDL|GL/|epoxy|gtk|gdk|glib|openmpt|mpg123|sndfile|X11|EGL)' )
  if [ -n "$hits" ]; then
    echo "$hits"
    status=1
  fi
  # Project headers must come from src/platform or the engine's own folders.
  bad=$(grep -rn -E "$include\"" "$src/$folder" |
        grep -v -E '"(platform|app|diag|data|show|scene|render|texture|music|state|math)/')
  if [ -n "$bad" ]; then
    echo "$bad"
    status=1
  fi
  # Of src/platform only the public API, however the name is quoted.
  # The process entry alone installs the platform, as the start-up code would.
  internal=$(grep -rn -E "$include[<\"]platform/" "$src/$folder" |
             grep -v -E "#[[:space:]]*include[[:space:]]*[<\"]($public_api)[>\"]" |
             grep -v -E "^$src/app/main\.cpp:[0-9]+:#include \"platform/setup/platform_settings\.h\"")
  if [ -n "$internal" ]; then
    echo "$internal"
    echo "  (an engine file may include only the stand-ins' API headers)"
    status=1
  fi
done
[ $status -eq 0 ] && echo "engine includes: only the stand-ins' API and engine headers"
exit $status
