# Threads, Boost.Asio (headers only) and GoogleTest for both builds.
find_package(Threads REQUIRED)

add_library(qbox_boost INTERFACE)
if(WIN32)
  # Debian's Boost headers serve the cross build too: expose only the boost/
  # folder so that no other Linux header leaks into the Windows build.
  set(QBOX_BOOST_ROOT ${CMAKE_BINARY_DIR}/boost-include)
  file(MAKE_DIRECTORY ${QBOX_BOOST_ROOT})
  file(CREATE_LINK /usr/include/boost ${QBOX_BOOST_ROOT}/boost SYMBOLIC)
  target_include_directories(qbox_boost SYSTEM INTERFACE ${QBOX_BOOST_ROOT})
  target_compile_definitions(qbox_boost INTERFACE _WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX
                                                  BOOST_ASIO_NO_DEPRECATED)
  target_link_libraries(qbox_boost INTERFACE ws2_32 mswsock iphlpapi Threads::Threads)
  # Link the C++ runtime and winpthread into each binary, so that neither the
  # DLL nor the test programs need MinGW's DLLs beside them.
  add_link_options(-static -static-libgcc -static-libstdc++)
else()
  find_package(Boost 1.74 REQUIRED)
  target_link_libraries(qbox_boost INTERFACE Boost::headers Threads::Threads)
  target_compile_definitions(qbox_boost INTERFACE BOOST_ASIO_NO_DEPRECATED)
endif()

if(QBOX_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(QBOX_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# GoogleTest from Debian's sources, built for whichever target this is.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
