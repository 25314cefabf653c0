# What `cmake --install` puts where. On Linux the programs go to bin, their
# manual pages to share/man/man1 and the Japanese ones to share/man/ja/man1,
# the README and the licence to share/doc/d88cut, the JSON schema of
# d88info's report to share/d88cut. On Windows everything lies side by side
# at the top, as texts a Windows user opens: README.txt, LICENSE.txt and the
# manual pages rendered, since Windows has no man.

set(manual_pages ${PROJECT_SOURCE_DIR}/man/d88cut.1 ${PROJECT_SOURCE_DIR}/man/d88info.1)
set(japanese_manual_pages ${PROJECT_SOURCE_DIR}/man/ja/d88cut.1
                          ${PROJECT_SOURCE_DIR}/man/ja/d88info.1)
set(json_schema ${PROJECT_SOURCE_DIR}/info/d88info.schema.json)
set(programs d88cut)
if(TARGET d88info)
  list(APPEND programs d88info)
endif()

if(WIN32)
  install(TARGETS ${programs} RUNTIME DESTINATION .)
  install(FILES ${json_schema} DESTINATION .)

  # add_windows_text(SOURCE NAME [-DMANDOC=...]): SOURCE written as the text NAME.
  set(windows_texts)
  macro(add_windows_text source name)
    set(text ${CMAKE_CURRENT_BINARY_DIR}/windows-text/${name})
    add_custom_command(
      OUTPUT ${text}
      COMMAND ${CMAKE_COMMAND} -DSOURCE=${source} -DTEXT=${text} ${ARGN}
              -P ${PROJECT_SOURCE_DIR}/cmake/WindowsText.cmake
      DEPENDS ${source} ${PROJECT_SOURCE_DIR}/cmake/WindowsText.cmake
      COMMENT "Writing ${name} for Windows"
      VERBATIM)
    list(APPEND windows_texts ${text})
  endmacro()

  add_windows_text(${PROJECT_SOURCE_DIR}/README.md README.txt)
  add_windows_text(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt)
  # The pages are rendered on the build host: d88cut.txt, d88cut.ja.txt, ...
  find_program(D88CUT_MANDOC mandoc)
  if(D88CUT_MANDOC)
    foreach(page ${manual_pages})
      get_filename_component(name ${page} NAME_WE)
      add_windows_text(${page} ${name}.txt -DMANDOC=${D88CUT_MANDOC})
    endforeach()
    foreach(page ${japanese_manual_pages})
      get_filename_component(name ${page} NAME_WE)
      add_windows_text(${page} ${name}.ja.txt -DMANDOC=${D88CUT_MANDOC})
    endforeach()
  else()
    message(STATUS "Manual pages as text left out: mandoc not found")
  endif()
  add_custom_target(windows_text ALL DEPENDS ${windows_texts})
  install(FILES ${windows_texts} DESTINATION .)
else()
  install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${japanese_manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1)
  install(FILES ${json_schema} DESTINATION ${CMAKE_INSTALL_DATADIR}/d88cut)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
