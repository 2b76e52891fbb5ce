jotbook_unit_test(tst_ansi unit/tst_ansi.cpp ${CMAKE_SOURCE_DIR}/platform/Ansi.cpp)
jotbook_unit_test(tst_textbox unit/tst_textbox.cpp
  ${CMAKE_SOURCE_DIR}/platform/TextBox.cpp ${CMAKE_SOURCE_DIR}/platform/Ansi.cpp
  ${CMAKE_SOURCE_DIR}/platform/TextBox.h)
