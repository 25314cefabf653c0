# Renders one manual page as plain text for Windows: UTF-8, CR LF line ends,
# without the backspace overstrikes that make bold and underlined letters on a
# terminal.
# FOOTER names the program and its version in the page's footer, where a
# manual page on a Unix system names the system.
#   cmake -DMANDOC=mandoc -DPAGE=page.1 -DTEXT=page.txt "-DFOOTER=d88cut 1.0.0"
#         -P RenderManualText.cmake
execute_process(
  COMMAND ${MANDOC} -Tutf8 -Owidth=78 "-Ios=${FOOTER}" ${PAGE}
  OUTPUT_VARIABLE text
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "mandoc failed on ${PAGE}")
endif()
string(ASCII 8 backspace)
# "_\bx" underlines x; "x\bx" makes it bold. Only ASCII letters are made
# bold: the pages make none other so (their lists use dashes, not bullets).
string(REGEX REPLACE "[ -~]${backspace}" "" text "${text}")
string(FIND "${text}" "${backspace}" left)
if(NOT left EQUAL -1)
  message(FATAL_ERROR "${PAGE}: a letter other than ASCII in bold or underlined")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${TEXT} "${text}")
