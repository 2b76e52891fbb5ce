jotbook_unit_test(tst_ansi unit/tst_ansi.cpp ${CMAKE_SOURCE_DIR}/platform/Ansi.cpp)
jotbook_unit_test(tst_textbox unit/tst_textbox.cpp ${JOTBOOK_TEXTBOX_SOURCES})
jotbook_unit_test(tst_textbuffer unit/tst_textbuffer.cpp
  ${CMAKE_SOURCE_DIR}/platform/TextBuffer.cpp ${CMAKE_SOURCE_DIR}/platform/TextBuffer.h)
