set(JOTBOOK_PLATFORM_SOURCES
  ${CMAKE_SOURCE_DIR}/platform/QtPlatform.h ${CMAKE_SOURCE_DIR}/platform/QtPlatform.cpp
  ${CMAKE_SOURCE_DIR}/platform/QtMessageBoxes.cpp ${CMAKE_SOURCE_DIR}/platform/QtDialogs.cpp
  ${CMAKE_SOURCE_DIR}/platform/IniSettings.cpp ${CMAKE_SOURCE_DIR}/platform/IniText.h ${CMAKE_SOURCE_DIR}/platform/IniText.cpp
  ${CMAKE_SOURCE_DIR}/platform/SafeWrite.cpp ${CMAKE_SOURCE_DIR}/platform/InstanceLockFile.cpp
  ${CMAKE_SOURCE_DIR}/platform/KeyboardLocks.h ${CMAKE_SOURCE_DIR}/platform/KeyboardLocks.cpp)
jotbook_unit_test(tst_platform unit/tst_platform.cpp ${JOTBOOK_PLATFORM_SOURCES})
if(X11_FOUND)
  target_link_libraries(tst_platform PRIVATE X11::X11)
  target_compile_definitions(tst_platform PRIVATE JOTBOOK_HAVE_X11=1)
endif()
