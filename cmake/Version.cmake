# The product version has one source: QBOX_VERSION (default: the project's
# version). The VERSION resource, the setup program's file names and
# `qbhost --version` all take it from the generated QboxVersion.h or from this
# variable; a build for an upgrade test passes -DQBOX_VERSION=a.b.c.d.
set(QBOX_VERSION "${PROJECT_VERSION}" CACHE STRING "Product version, four dot-separated numbers")
if(NOT QBOX_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "QBOX_VERSION must be four dot-separated numbers, not '${QBOX_VERSION}'")
endif()
string(REPLACE "." "," QBOX_VERSION_COMMAS "${QBOX_VERSION}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/QboxVersion.h.in ${QBOX_GEN}/QboxVersion.h @ONLY)
