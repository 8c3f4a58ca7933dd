# Run after a shipped program is linked (cmake -DPROGRAM=path -P this file). A program
# built without the test hooks must carry nothing of them: not the name of the end-to-end
# kit's request to describe the controls (a registered window message), not the variable
# that would let the environment redirect the account query (and with it the subscriber's
# name and password), and no address on this machine's loopback as a default. Each is
# looked for as 8-bit text and as UTF-16. A program that carries one is removed, so that
# it is never taken for the shipped one.
cmake_minimum_required(VERSION 3.25)

set(_texts "VpnClient.DescribeControls" "VPN_ACCOUNT_URL" "://127.0.0.1" "://localhost"
           "://LOCALHOST")

function(_hex_of text wide out)
  string(HEX "${text}" _hex)
  if(wide)
    string(REGEX REPLACE "(..)" "\\100" _hex "${_hex}")
  endif()
  set(${out} "${_hex}" PARENT_SCOPE)
endfunction()

file(READ "${PROGRAM}" _content HEX)
foreach(_text IN LISTS _texts)
  foreach(_wide 0 1)
    _hex_of("${_text}" ${_wide} _needle)
    # Bytes, not hex digits: a match must start at an even position.
    set(_from 0)
    while(TRUE)
      string(SUBSTRING "${_content}" ${_from} -1 _rest)
      string(FIND "${_rest}" "${_needle}" _at)
      if(_at EQUAL -1)
        break()
      endif()
      math(EXPR _pos "${_from} + ${_at}")
      math(EXPR _odd "${_pos} % 2")
      if(NOT _odd)
        file(REMOVE "${PROGRAM}")
        message(FATAL_ERROR "${PROGRAM} carries \"${_text}\" although it is built without test "
                            "hooks; it has been removed")
      endif()
      math(EXPR _from "${_pos} + 1")
    endwhile()
  endforeach()
endforeach()
