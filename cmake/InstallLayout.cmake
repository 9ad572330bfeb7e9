# Where `make install` and the Debian package put things (GNUInstallDirs), and the paths from
# the installed program's folder to its plug-ins and definitions, which the program is built
# with: the layout is fixed relative to the prefix, so any prefix works.
include(GNUInstallDirs)
set(STOCK_INSTALL_PKGLIBDIR ${CMAKE_INSTALL_LIBDIR}/stockreports)        # libstockhost.so
set(STOCK_INSTALL_PLUGINDIR ${STOCK_INSTALL_PKGLIBDIR}/plugins)          # the report plug-ins
set(STOCK_INSTALL_PKGDATADIR ${CMAKE_INSTALL_DATADIR}/stockreports)      # schema.sql
set(STOCK_INSTALL_DEFINITIONDIR ${STOCK_INSTALL_PKGDATADIR}/definitions)

file(RELATIVE_PATH STOCK_PLUGINS_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${STOCK_INSTALL_PLUGINDIR})
file(RELATIVE_PATH STOCK_DEFINITIONS_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${STOCK_INSTALL_DEFINITIONDIR})
file(RELATIVE_PATH STOCK_PKGLIB_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${STOCK_INSTALL_PKGLIBDIR})
