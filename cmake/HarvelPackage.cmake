# `cpack -G DEB` in a build folder makes harvel_<version>_<arch>.deb from the
# install rules. The libraries it needs are worked out from the programs by
# dpkg-shlibdeps (dpkg-dev); what the programs load at run time without linking
# it is named here.
set(CPACK_PACKAGE_NAME harvel)
set(CPACK_PACKAGE_VENDOR "The Harvel developers")
set(CPACK_PACKAGE_CONTACT "The Harvel developers <harvel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "collect pictures and other files from web sites")
set(CPACK_PACKAGE_DESCRIPTION "Harvel keeps a list of crawl targets (a title, a start address
and how many links deep to follow) and stores the files of the chosen kinds
from each site in a folder named after the title. The desktop program harvel
shows the crawl in a window; harvel-cli does the same from scripts.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://harvel.example.org/")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's window-system plugins (xcb, wayland) are loaded, not linked.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Japanese texts in Qt's dialogs and a Japanese face for the windows.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-translations-l10n, fonts-ipafont-gothic | fonts-noto-cjk, chromium-headless-shell | chromium")

include(CPack)
