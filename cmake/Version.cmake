# The product version has one source: QBOX_VERSION (default: the project's
# version). The VERSION resource, the setup program's file names and
# `qbhost --version` all take it from the generated QboxVersion.h or from this
# variable; a build of another version passes -DQBOX_VERSION=a.b.c.d.
set(QBOX_VERSION "${PROJECT_VERSION}" CACHE STRING "Product version, four dot-separated numbers")

# Writes QboxVersion.h for VERSION into FOLDER.
function(qbox_version_header version folder)
  if(NOT version MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
    message(FATAL_ERROR "QBOX_VERSION must be four dot-separated numbers, not '${version}'")
  endif()
  set(QBOX_VERSION "${version}")
  string(REPLACE "." "," QBOX_VERSION_COMMAS "${version}")
  configure_file(${CMAKE_SOURCE_DIR}/cmake/QboxVersion.h.in ${folder}/QboxVersion.h @ONLY)
endfunction()

qbox_version_header("${QBOX_VERSION}" ${QBOX_GEN})
