# The service's addresses and tunnel settings compiled into the program: cache variables
# written into one generated header, build/<preset>/generated/Endpoints.h (include
# "Endpoints.h"). They are the defaults; service.ini beside the program replaces them.
#
# The test builds (native, win64) default every address to 127.0.0.1, so that nothing the
# tests start ever talks to the outside world, and keep the test hooks: the account query
# takes its address and time limits from the environment when set (VPN_ACCOUNT_URL,
# VPN_ACCOUNT_READ_TIMEOUT_MS, VPN_ACCOUNT_CONNECT_TIMEOUT_MS) and the forms answer the
# end-to-end kit's request to describe their controls. The shipped builds (VPN_SHIPPED)
# use the service's hosts and carry no hook: the header's VPN_TEST_HOOKS is 0, and the
# code of the hooks is left out by the preprocessor, whatever the build type.
if(VPN_SHIPPED)
  set(_account_host account.example.net)
  set(_banner_host www.example.net)
  set(_pages_host user.example.net)
  set(_recharge_host pay.example.net)
  set(VPN_TEST_HOOKS OFF)
else()
  set(_account_host 127.0.0.1)
  set(_banner_host 127.0.0.1)
  set(_pages_host 127.0.0.1)
  set(_recharge_host 127.0.0.1)
  set(VPN_TEST_HOOKS ON)
endif()
set(VPN_ACCOUNT_QUERY_URL "http://${_account_host}:9100/webadmin/useradmin/vpnclient.php"
    CACHE STRING "Address of the account query (service.ini: AccountQuery)")
set(VPN_REGISTER_URL "http://${_pages_host}:8000/sysadmin/"
    CACHE STRING "Page of the account registration (service.ini: RegisterPage)")
set(VPN_PASSWORD_URL "http://${_pages_host}:8000/sysadmin/"
    CACHE STRING "Page of the password change (service.ini: PasswordPage)")
set(VPN_RECHARGE_URL "http://${_recharge_host}:8000/sysadmin/"
    CACHE STRING "Page of the recharge (service.ini: RechargePage)")
set(VPN_BANNER_URL "http://${_banner_host}/ipclient/top.htm"
    CACHE STRING "Banner page at the top of the main window (service.ini: Banner)")
set(VPN_NODE_LIST_URL "" CACHE STRING "Address of the service's server list, or empty (service.ini: NodeList)")
set(VPN_PRE_SHARED_KEY "" CACHE STRING "L2TP/IPsec pre-shared key, or empty (service.ini: PreSharedKey)")
set(VPN_TUNNEL_TYPE "" CACHE STRING
    "Auto, IKEv2, SSTP, L2TP/IPsec, L2TP, PPTP, or empty for the L2TP box's choice (service.ini: TunnelType)")

# The defaults obey the rules service.ini does.
foreach(_var VPN_ACCOUNT_QUERY_URL VPN_REGISTER_URL VPN_PASSWORD_URL VPN_RECHARGE_URL
             VPN_BANNER_URL VPN_NODE_LIST_URL)
  if(NOT "${${_var}}" STREQUAL "" AND NOT "${${_var}}" MATCHES "^[Hh][Tt][Tt][Pp][Ss]?://[A-Za-z0-9._-]+(:[0-9]+)?([/?#][!-~]*)?$")
    message(FATAL_ERROR "${_var} is not an http:// or https:// address: '${${_var}}'")
  endif()
endforeach()
if(NOT VPN_PRE_SHARED_KEY MATCHES "^[ -~]*$")
  message(FATAL_ERROR "VPN_PRE_SHARED_KEY must be printable ASCII")
endif()
if(NOT VPN_TUNNEL_TYPE MATCHES "^(|Auto|IKEv2|SSTP|L2TP/IPsec|L2TP|PPTP)$")
  message(FATAL_ERROR "VPN_TUNNEL_TYPE must be Auto, IKEv2, SSTP, L2TP/IPsec, L2TP, PPTP or empty")
endif()

# C string literals of the values.
foreach(_var VPN_ACCOUNT_QUERY_URL VPN_REGISTER_URL VPN_PASSWORD_URL VPN_RECHARGE_URL
             VPN_BANNER_URL VPN_NODE_LIST_URL VPN_PRE_SHARED_KEY VPN_TUNNEL_TYPE)
  string(REPLACE "\\" "\\\\" _text "${${_var}}")
  string(REPLACE "\"" "\\\"" _text "${_text}")
  set(${_var}_LITERAL "\"${_text}\"")
endforeach()
if(VPN_TEST_HOOKS)
  set(VPN_TEST_HOOKS_VALUE 1)
else()
  set(VPN_TEST_HOOKS_VALUE 0)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/Endpoints.h.in ${CMAKE_BINARY_DIR}/generated/Endpoints.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)
