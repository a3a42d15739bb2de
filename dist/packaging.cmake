# The Debian package, made by CPack (scripts/package.sh): everything the install rules put under
# the prefix, installed under /usr. The libraries the program links decide the package's
# dependencies (dpkg-shlibdeps); the Chinese user interface needs a font with Chinese glyphs.
# Debian's own triggers update the desktop, MIME, icon and manual databases after an install.

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "torvane")
set(CPACK_PACKAGE_VENDOR "The Torvane developers")
set(TORVANE_PACKAGE_MAINTAINER "The Torvane developers <torvane@example.org>" CACHE STRING
    "Maintainer named by the Debian package")
set(CPACK_PACKAGE_CONTACT "${TORVANE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop manager for SQLite 3 database files")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TORVANE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "database")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TORVANE_PROJECT_URL}")
# The first line of the package's description is the summary above; CPack indents these lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Torvane opens one SQLite 3 database file (*.sdb) at a time, shows its tables
and views in a tree and their rows in a grid. Fields are edited as text,
integers, decimals or bytes with a picture preview; records are inserted and
deleted, tables designed and altered, views managed, and any SQL runs in a
console with templates. Every open first leaves a time-stamped backup copy of
the file. The user interface is Chinese.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei | fonts-noto-cjk | fonts-wqy-zenhei")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, shared-mime-info, desktop-file-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
