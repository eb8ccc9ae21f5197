# cmake -DPAGE=vdx9.1 -DOUT=vdx9.txt -P manual-text.cmake: the manual page as plain ASCII text
# with CR LF line ends, for readers without man.
execute_process(COMMAND groff -t -man -Tascii -P-cbou ${PAGE} OUTPUT_VARIABLE text
                RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR text STREQUAL "")
  message(FATAL_ERROR "groff could not render ${PAGE}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUT} "${text}")
