# The interface header (both builds) and the type library (Windows) are
# generated from com/QboxK4Driver.idl by widl.
find_program(QBOX_WIDL NAMES widl i686-w64-mingw32-widl REQUIRED)
set(QBOX_IDL ${CMAKE_SOURCE_DIR}/com/QboxK4Driver.idl)
set(QBOX_GEN ${CMAKE_BINARY_DIR}/generated)
set(QBOX_IDL_INCLUDE /usr/include/wine/wine/windows)
set(QBOX_STDOLE_DIR /usr/lib/i386-linux-gnu/wine/i386-windows)
file(MAKE_DIRECTORY ${QBOX_GEN})

add_custom_command(
  OUTPUT ${QBOX_GEN}/QboxK4Driver.h ${QBOX_GEN}/QboxK4Driver.tlb
  COMMAND ${QBOX_WIDL} --win32 -I${QBOX_IDL_INCLUDE} -L${QBOX_STDOLE_DIR}
          -h -H ${QBOX_GEN}/QboxK4Driver.h -t -T ${QBOX_GEN}/QboxK4Driver.tlb ${QBOX_IDL}
  DEPENDS ${QBOX_IDL}
  COMMENT "widl: interfaces and type library")
add_custom_target(qbox_idl DEPENDS ${QBOX_GEN}/QboxK4Driver.h ${QBOX_GEN}/QboxK4Driver.tlb)

add_library(qbox_interfaces INTERFACE)
target_include_directories(qbox_interfaces INTERFACE ${QBOX_GEN})
add_dependencies(qbox_interfaces qbox_idl)
if(NOT WIN32)
  # The generated header includes <oaidl.h>; Linux gets our stand-in.
  target_include_directories(qbox_interfaces INTERFACE ${CMAKE_SOURCE_DIR}/platform/linux/include)
endif()
