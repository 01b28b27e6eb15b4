# `make deb`: a Debian package through CPack's DEB generator, of everything
# the install rules install, under /usr.
set(VELMORA_PACKAGE_MAINTAINER "Velmora developers <velmora@example.org>"
    CACHE STRING "The Debian package's maintainer, name and address")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT ${VELMORA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELMORA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The first line is the synopsis, the rest the long description (cpack
# indents its lines and writes an empty one as " .").
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "player for scripted real-time 3D demo shows
Velmora plays a real-time 3D demo show full-screen: a packed data archive
and a play script that schedules scenes, textures and music (tracker
modules, MP3 and WAV) on a millisecond timeline.

Around the player come the tools a show maker needs: an archive packer, a
play script checker, a scene converter from glTF, FBX and other formats, a
visibility generator, a scene summary, a sample show, and velmora-capture,
which films a show into an MP4 file with ffmpeg.")
# The libraries the programs link, as dpkg-shlibdeps finds them, and the
# font; ffmpeg is needed only to film a show.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not a linked library: the text on the picture (the statistics, the
# preview's bar) is drawn with DejaVu Sans, read from its Debian path.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-dejavu-core)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)
set(CPACK_STRIP_FILES ON)
# Folders as Debian has them, whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
