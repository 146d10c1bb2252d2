# Read by cpack before it packs anything.
if(CPACK_DEBIAN_PACKAGE_MAINTAINER STREQUAL "")
    message(FATAL_ERROR
        "No maintainer for the Debian packages. Set the one who answers for them, e.g.\n"
        "  LOGQVR_PACKAGE_MAINTAINER='Nome Sobrenome <endereco@empresa.com.br>' scripts/package.sh\n"
        "or -DLOGQVR_PACKAGE_MAINTAINER=... when configuring the build.")
endif()
