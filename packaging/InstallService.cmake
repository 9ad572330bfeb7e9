# Installs the systemd unit of `serve`, its system user (sysusers.d) and its configuration file.
# Run at install time: the places follow the prefix installed to, /usr putting the configuration
# in /etc. An existing configuration file is kept.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(confdir /etc/stockreports)
else()
  set(confdir ${CMAKE_INSTALL_PREFIX}/etc/stockreports)
endif()
set(STOCK_PROGRAM ${CMAKE_INSTALL_PREFIX}/${STOCK_BINDIR}/stockreports)
set(STOCK_CONFIG ${confdir}/serve.conf)
# The unit names the program and the configuration: written for this destination, in a folder
# of its own so that installs to other places at the same time do not mix.
string(MD5 destination "$ENV{DESTDIR}|${CMAKE_INSTALL_PREFIX}")
set(unit ${STOCK_BINARY}/unit-${destination}/stockreports.service)
configure_file(${STOCK_SOURCE}/stockreports.service.in ${unit} @ONLY)
file(INSTALL DESTINATION ${CMAKE_INSTALL_PREFIX}/lib/systemd/system TYPE FILE FILES ${unit})
file(REMOVE_RECURSE ${STOCK_BINARY}/unit-${destination})
file(INSTALL DESTINATION ${CMAKE_INSTALL_PREFIX}/lib/sysusers.d TYPE FILE
     FILES ${STOCK_SOURCE}/sysusers.d/stockreports.conf)
if(EXISTS "$ENV{DESTDIR}${STOCK_CONFIG}")
  message(STATUS "Keeping: $ENV{DESTDIR}${STOCK_CONFIG}")
else()
  file(INSTALL DESTINATION ${confdir} TYPE FILE FILES ${STOCK_SOURCE}/serve.conf)
endif()
