# Packages, made with CPack from what `cmake --install` puts in place:
#   Linux               a .deb, its dependencies computed by dpkg-shlibdeps;
#   Linux, D88CUT_STATIC a .tar.gz of statically linked programs;
#   Windows             a .zip of both .exe files, the manual pages as text,
#                       the README and the licence.
# Each is named d88cut-VERSION-SYSTEM-ARCH, with a SHA-256 checksum file beside
# it (sha256sum's format). Build one with `cmake --build DIR --target package`.

string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" package_platform)

set(CPACK_PACKAGE_NAME d88cut)
set(CPACK_PACKAGE_VENDOR "the d88cut developers")
set(CPACK_PACKAGE_CONTACT "the d88cut developers <d88cut@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "cuts the BIOS98 and music files out of PC-98 floppy-disk images")
set(CPACK_PACKAGE_FILE_NAME "d88cut-${PROJECT_VERSION}-${package_platform}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)
# Archives unpack into one folder of the package's name.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
elseif(D88CUT_STATIC)
  set(CPACK_GENERATOR TGZ)
else()
  set(CPACK_GENERATOR DEB)
endif()

set(CPACK_DEBIAN_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}.deb")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The extended description, below the summary line; CPack indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "d88cut reads a disk-image file (D88, or HDM, FDI, NFD r0/r1 and DCP/DCU
converted in memory), recognises disk A or disk B of the two-disk PC-98
title it knows by signature text at fixed sectors, and writes the file
BIOS98 or the files MUS00 to MUS15 into the current folder. d88info shows
what an image holds and why it is or is not one of the title's disks.
.
License: MIT.")
# Debian's copyright file, changelog and compressed manual pages: added to
# the .deb's staged files only (the script skips the other packages).
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianPackageFiles.cmake)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The date of the changelog's one entry, the release of this version.
set(CPACK_D88CUT_RELEASE_DATE "Mon, 07 Dec 2026 12:00:00 +0000")

include(CPack)
