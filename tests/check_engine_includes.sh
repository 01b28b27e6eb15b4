#!/bin/sh
# Fails when an engine folder includes a back-end library directly, or any
# header of the platform stand-ins other than their public API: the engine
# speaks only the Win32, DirectDraw/Direct3D and sound interfaces, never to a
# stand-in's internals or a back end. Fails too on an include that runs up a
# floor of the house, in the engine or in the platform, and on a platform
# file that includes the engine.
# Given a tools folder as well, fails on a tool that includes a stand-in's
# or back end's internals beyond what a program needs.
src=${1:?usage: check_engine_includes.sh SRC_DIR [TOOLS_DIR]}
tools=${2:-}
# The public API headers of the stand-ins, the only platform headers the
# engine may include.
# The picture decoder is the image library's API, as fmod.h is the sound's.
public_api='platform/win32/windows\.h|platform/ddraw/ddraw\.h|platform/ddraw/d3d\.h|platform/ddraw/d3dtypes\.h|platform/fmod/fmod\.h|platform/image/picture_decoder\.h'
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*'
status=0
for folder in app diag data show scene render texture music state math; do
  [ -d "$src/$folder" ] || continue
  hits=$(grep -rn -E "$include[<\"]" "$src/$folder" |
         grep -i -E '[<"/](SDL|GL/|epoxy|gtk|gdk|glib|openmpt|mpg123|sndfile|X11|EGL|FreeImage|assimp|png\.h|jpeglib)' )
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

# The floors of the house (docs/architecture.md): a file may include what
# stands on its own floor or below, never above. The engine's floors, top down:
engine_floor() {
  case "$1" in
    app) echo 5 ;;
    show) echo 4 ;;
    render) echo 3 ;;
    scene | texture | music) echo 2 ;;
    data | diag | math | state) echo 1 ;;
    *) echo 0 ;;
  esac
}
# and the platform's: the chooser, the stand-ins, the back ends, their interfaces.
platform_floor() {
  case "$1" in
    setup) echo 4 ;;
    win32 | ddraw | fmod) echo 3 ;;
    backend) echo 1 ;;
    *) echo 2 ;;
  esac
}
# Every quoted include of a folder of ours, as "file:line:folder/".
includes_of() {
  grep -rn -E "$include\"[a-z0-9_]+/" "$1" 2> /dev/null |
    sed -E 's/^([^:]*:[0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*"([a-z0-9_]+)\/([a-z0-9_]+\/)?.*/\1:\2\/\3/'
}
for folder in app show render scene texture music data diag math state; do
  [ -d "$src/$folder" ] || continue
  floor=$(engine_floor "$folder")
  for hit in $(includes_of "$src/$folder"); do
    target=${hit##*:}
    target=${target%%/*}
    [ "$target" = platform ] && continue
    if [ "$(engine_floor "$target")" -gt "$floor" ]; then
      echo "$hit"
      echo "  ($folder/ may not include $target/, which stands above it)"
      status=1
    fi
  done
done
[ -d "$src/platform" ] && for path in "$src"/platform/*/; do
  folder=$(basename "$path")
  floor=$(platform_floor "$folder")
  for hit in $(includes_of "$path"); do
    target=${hit##*:}
    if [ "${target%%/*}" != platform ]; then
      echo "$hit"
      echo "  (the platform may not include the engine)"
      status=1
      continue
    fi
    target=${target#platform/}
    target=${target%%/*}
    if [ "$(platform_floor "$target")" -gt "$floor" ]; then
      echo "$hit"
      echo "  (platform/$folder/ may not include platform/$target/, which stands above it)"
      status=1
    fi
  done
done
# A tool reaches the platform as a program does: the stand-ins' API, the
# chooser and its report, the display's and the sound library's program-level
# controls, the clock, the frame capture, the PNG writer and the Direct3D
# math. Only the programs that draw with OpenGL themselves (the visibility
# generator, the benchmark's plain OpenGL) reach the SDL and OpenGL back ends.
tool_platform='platform/(win32/windows|ddraw/ddraw|ddraw/d3d|ddraw/d3dtypes|ddraw/matrix_math|ddraw/display_objects|fmod/fmod|fmod/sound_system|setup/platform_settings|setup/display_report|backend/frame_clock|backend/draw_counters|capture/frame_capture|capture/frame_writer|image/png_writer)\.h'
own_gl='platform/(sdl/sdl_window_system|gl/[a-z0-9_]+)\.h'
if [ -n "$tools" ] && [ -d "$tools" ]; then
  hits=$(grep -rn -E "$include[<\"]platform/" "$tools" |
         grep -v -E "#[[:space:]]*include[[:space:]]*[<\"]$tool_platform[>\"]" |
         grep -v -E "^$tools/(qxvis/visibility_generator|render_bench/plain_gl)\.cpp:[0-9]+:#include \"$own_gl\"")
  if [ -n "$hits" ]; then
    echo "$hits"
    echo "  (a tool may include only what a program needs of the platform)"
    status=1
  fi
fi
[ $status -eq 0 ] && echo "engine includes: only the stand-ins' API and engine headers, every floor pointing down"
exit $status
