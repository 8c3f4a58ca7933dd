# The service's addresses are configuration of the build: cache variables written into
# one generated header, build/<preset>/generated/Endpoints.h (include "Endpoints.h").
#
# The builds that run here (native, win64) are test builds: every host defaults to
# 127.0.0.1, so that nothing the tests start ever talks to the outside world, and the
# account query takes its address and time limits from the environment when set
# (VPN_ACCOUNT_URL, VPN_ACCOUNT_READ_TIMEOUT_MS, VPN_ACCOUNT_CONNECT_TIMEOUT_MS). The
# shipped 32-bit build uses the service's hosts and reads no environment.
if(VPN_RUNS_HERE)
  set(_vpn_default_hosts 127.0.0.1 127.0.0.1 127.0.0.1 127.0.0.1)
  set(_vpn_test_hooks ON)
else()
  set(_vpn_default_hosts account.example.net www.example.net user.example.net pay.example.net)
  set(_vpn_test_hooks OFF)
endif()
list(GET _vpn_default_hosts 0 _h0)
list(GET _vpn_default_hosts 1 _h1)
list(GET _vpn_default_hosts 2 _h2)
list(GET _vpn_default_hosts 3 _h3)
set(VPN_ACCOUNT_HOST ${_h0} CACHE STRING "Host of the account query endpoint")
set(VPN_ACCOUNT_PORT 9100 CACHE STRING "Port of the account query endpoint")
set(VPN_ACCOUNT_PATH "/webadmin/useradmin/vpnclient.php" CACHE STRING "Path of the account query endpoint")
set(VPN_BANNER_HOST ${_h1} CACHE STRING "Host of the banner page (/ipclient/top.htm, port 80)")
set(VPN_ACCOUNT_PAGES_HOST ${_h2} CACHE STRING "Host of the registration and password pages (port 8000)")
set(VPN_RECHARGE_HOST ${_h3} CACHE STRING "Host of the recharge page (port 8000)")
option(VPN_TEST_HOOKS "Let the environment override the account address and time limits" ${_vpn_test_hooks})
if(VPN_TEST_HOOKS)
  set(VPN_TEST_HOOKS_VALUE true)
else()
  set(VPN_TEST_HOOKS_VALUE false)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/Endpoints.h.in ${CMAKE_BINARY_DIR}/generated/Endpoints.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)
