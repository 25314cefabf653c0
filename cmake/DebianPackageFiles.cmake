# Run by CPack on the staged files of each package, before it packs them. For
# the .deb only, it adds what Debian asks of every package: the manual pages
# compressed, and the copyright file and changelog in the documentation folder.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

set(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(doc "${root}/share/doc/${CPACK_PACKAGE_NAME}")

file(GLOB pages "${root}/share/man/man*/*" "${root}/share/man/*/man*/*")
foreach(page ${pages})
  # -n: no name or time stamp in the header, so the package is reproducible.
  execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${page}")
  endif()
endforeach()

file(READ "${CPACK_RESOURCE_FILE_LICENSE}" license)
file(WRITE "${doc}/copyright"
  "${CPACK_PACKAGE_NAME}, by the d88cut developers, is licensed under the MIT licence:\n\n"
  "${license}")

file(WRITE "${doc}/changelog"
  "${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium\n\n"
  "  * Release ${CPACK_PACKAGE_VERSION}.\n\n"
  " -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${CPACK_D88CUT_RELEASE_DATE}\n")
execute_process(COMMAND gzip -9nf "${doc}/changelog" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${doc}/changelog")
endif()
