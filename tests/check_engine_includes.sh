#!/bin/sh
# Fails when an engine folder includes a back-end library directly: the engine
# speaks only to the Win32, DirectDraw and sound stand-ins under src/platform.
src=${1:?usage: check_engine_includes.sh SRC_DIR}
status=0
for folder in app diag data show scene render texture music; do
  [ -d "$src/$folder" ] || continue
  hits=$(grep -rn -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' "$src/$folder" |
         grep -i -E '[<"/](SDL|GL/|epoxy|gtk|gdk|glib|openmpt|mpg123|sndfile|X11|EGL)' )
  if [ -n "$hits" ]; then
    echo "$hits"
    status=1
  fi
  # Project headers must come from src/platform or the engine's own folders.
  bad=$(grep -rn -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$src/$folder" |
        grep -v -E '"(platform|app|diag|data|show|scene|render|texture|music)/')
  if [ -n "$bad" ]; then
    echo "$bad"
    status=1
  fi
done
[ $status -eq 0 ] && echo "engine includes: only platform and engine headers"
exit $status
