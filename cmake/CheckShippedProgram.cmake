# Run after the shipped program is linked (cmake -DPROGRAM=path -P this file): a program
# built without the test hooks must not answer the end-to-end kit's request to describe
# its controls, so it must not even carry that request's name (a registered window
# message, named in UTF-16). A program that does is removed, so that it is never taken
# for the shipped one.
set(_request "VpnClient.DescribeControls")
set(_needle "")
string(LENGTH "${_request}" _length)
math(EXPR _last "${_length} - 1")
foreach(_i RANGE ${_last})
  string(SUBSTRING "${_request}" ${_i} 1 _char)
  string(HEX "${_char}" _hex)
  string(APPEND _needle "${_hex}00")
endforeach()

file(READ "${PROGRAM}" _content HEX)
string(FIND "${_content}" "${_needle}" _at)
if(NOT _at EQUAL -1)
  file(REMOVE "${PROGRAM}")
  message(FATAL_ERROR "${PROGRAM} answers the test kit's ${_request} request although it is "
                      "built without test hooks; it has been removed")
endif()
