# The Debian package of the build (`make deb`): cpack --config CPackConfig.cmake in the build
# tree. Its dependencies are those of the libraries the program and the plug-ins link
# (dpkg-shlibdeps), plus the font the PDF writer embeds, which no library names.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME stockreports)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "relatórios do inventário de estoque")
set(CPACK_PACKAGE_DESCRIPTION
    "Imprime os relatórios do inventário de estoque (livro modelo 7, termos, listagens e\n\
relações de produtos) do banco de dados da empresa, SQLite ou PostgreSQL, em PDF,\n\
texto ou PNG; o comando serve abre as telas de parâmetros no navegador.")
set(CPACK_PACKAGE_CONTACT "stockreports <stockreports@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Installed with DESTDIR under prefix /usr, so the configuration lands in /etc.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core | fonts-liberation2 | fonts-liberation")
# bash loads the completion through bash-completion.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS bash-completion)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/conffiles ${CMAKE_CURRENT_SOURCE_DIR}/debian/postinst
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/prerm ${CMAKE_CURRENT_SOURCE_DIR}/debian/postrm)
include(CPack)
