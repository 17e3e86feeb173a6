# cpack -G DEB: a Debian package of what cmake --install puts in place, under /usr. Its dependencies
# are what dpkg-shlibdeps finds the programs linked against, never a list kept by hand.
set(CPACK_PACKAGE_NAME my-verdarium)
set(CPACK_PACKAGE_VENDOR "The My Verdarium developers")
set(CPACK_PACKAGE_CONTACT "The My Verdarium developers <developers@my-verdarium.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue of a home plant collection")
set(CPACK_PACKAGE_DESCRIPTION
    "My Verdarium keeps a home plant collection: groups of plants, a tree of plants and folders in each,\n\
three rich-text pages, a photo album and a condition mark for every plant. Everything is ordinary\n\
folders and files. verdarium-cli reads and changes a collection from scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VERDARIUM_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own texts (dialog buttons, the file and colour dialogs) in the language the user chooses.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_GENERATOR DEB)
include(CPack)
