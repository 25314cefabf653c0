# Renders one manual page as plain text for Windows: UTF-8, CR LF line ends,
# without the backspace overstrikes that make bold and underlined letters on a
# terminal.
#   cmake -DMANDOC=mandoc -DPAGE=page.1 -DTEXT=page.txt -P RenderManualText.cmake
execute_process(
  COMMAND ${MANDOC} -Tutf8 -Owidth=78 ${PAGE}
  OUTPUT_VARIABLE text
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "mandoc failed on ${PAGE}")
endif()
string(ASCII 8 backspace)
# "_\bx" underlines x; "x\bx" makes it bold.
string(REGEX REPLACE "[^\n]${backspace}" "" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${TEXT} "${text}")
