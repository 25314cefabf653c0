# Writes one text of the Windows zip: CR LF line ends, and a UTF-8 byte order
# mark when the text is not plain ASCII: older Notepad and many other Windows
# programs take UTF-8 without one for the ANSI code page (Shift_JIS on a
# Japanese system).
# With MANDOC, SOURCE is a manual page, rendered as plain UTF-8 text first.
#   cmake -DSOURCE=README.md -DTEXT=README.txt [-DMANDOC=mandoc]
#         -P WindowsText.cmake

# mandoc makes a letter bold as "x\bx" and underlines it as "_\bx"; a text file
# shows neither. A letter is one UTF-8 sequence: a lead byte and its trail bytes.
function(render_manual_page page result)
  execute_process(
    COMMAND ${MANDOC} -Kutf-8 -Tutf8 -Owidth=78 ${page}
    OUTPUT_VARIABLE text
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "mandoc failed on ${page}")
  endif()
  string(ASCII 8 backspace)
  string(ASCII 128 trail_first)
  string(ASCII 191 trail_last)
  set(trail "[${trail_first}-${trail_last}]")
  string(REPLACE "_${backspace}" "" text "${text}")
  string(REGEX REPLACE "${backspace}[^${trail_first}-${trail_last}]${trail}*" "" text "${text}")
  string(FIND "${text}" "${backspace}" left)
  if(NOT left EQUAL -1)
    message(FATAL_ERROR "${page}: an overstrike left in the text")
  endif()
  set(${result} "${text}" PARENT_SCOPE)
endfunction()

if(MANDOC)
  render_manual_page(${SOURCE} text)
else()
  file(READ ${SOURCE} text)
endif()

string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
string(ASCII 128 high_first)
string(ASCII 255 high_last)
string(REGEX MATCH "[${high_first}-${high_last}]" non_ascii "${text}")
if(non_ascii)
  string(ASCII 239 187 191 byte_order_mark)
  string(PREPEND text "${byte_order_mark}")
endif()
file(WRITE ${TEXT} "${text}")
