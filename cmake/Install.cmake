# What `cmake --install` puts where. On Linux the programs go to bin, their
# manual pages to share/man/man1, the README and the licence to
# share/doc/d88cut, the JSON schema of d88info's report to share/d88cut. On
# Windows everything lies side by side at the top, with the manual pages
# rendered as text, since Windows has no man.

set(manual_pages ${PROJECT_SOURCE_DIR}/man/d88cut.1 ${PROJECT_SOURCE_DIR}/man/d88info.1)
set(json_schema ${PROJECT_SOURCE_DIR}/info/d88info.schema.json)
set(programs d88cut)
if(TARGET d88info)
  list(APPEND programs d88info)
endif()

if(WIN32)
  install(TARGETS ${programs} RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${json_schema}
          DESTINATION .)

  # The pages as plain UTF-8 text, rendered on the build host.
  find_program(D88CUT_MANDOC mandoc)
  if(D88CUT_MANDOC)
    set(manual_texts)
    foreach(page ${manual_pages})
      get_filename_component(name ${page} NAME_WE)
      set(text ${CMAKE_CURRENT_BINARY_DIR}/man/${name}.txt)
      add_custom_command(
        OUTPUT ${text}
        COMMAND ${CMAKE_COMMAND} -DMANDOC=${D88CUT_MANDOC} -DPAGE=${page} -DTEXT=${text}
                "-DFOOTER=d88cut ${PROJECT_VERSION}"
                -P ${PROJECT_SOURCE_DIR}/cmake/RenderManualText.cmake
        DEPENDS ${page} ${PROJECT_SOURCE_DIR}/cmake/RenderManualText.cmake
        COMMENT "Rendering ${name}.1 as text"
        VERBATIM)
      list(APPEND manual_texts ${text})
    endforeach()
    add_custom_target(manual_text ALL DEPENDS ${manual_texts})
    install(FILES ${manual_texts} DESTINATION .)
  else()
    message(STATUS "Manual pages as text left out: mandoc not found")
  endif()
else()
  install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${json_schema} DESTINATION ${CMAKE_INSTALL_DATADIR}/d88cut)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
