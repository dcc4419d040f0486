# SPDX-License-Identifier: MIT
# The Debian package halvane_<version>_<arch>.deb, made by CPack from the Release build
# (scripts/package). Its dependencies are read off the libraries the installed executables link,
# plus the Qt plugins the program loads at run time, which no executable links: the platform
# plugins that show a window at all, and the TIFF reader.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME halvane)
set(CPACK_PACKAGE_VENDOR "Halvane Studio")
set(CPACK_PACKAGE_CONTACT "Halvane Studio <hi@halvane.test>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn a photograph into a flat-toned value study")
# Lines as a package description keeps them: under 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Halvane makes a photograph grey by one of three channel methods, then"
  "posterizes it into 2 to 13 flat tones, so that the big light and dark shapes"
  "are easy to see. Oilify smooths the tones into larger patches, a click on a"
  "tone recolours it, and a drawing grid helps transfer the picture to a canvas."
  "It opens BMP, JPEG, PNG, GIF, TIFF, ICO and JPEG XR pictures and saves the"
  "result as JPEG. halvane-batch makes the same studies of many pictures at once,"
  "without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://halvane.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, fonts-dejavu-extra")

include(CPack)
