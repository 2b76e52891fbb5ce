jotbook_unit_test(tst_editing unit/tst_editing.cpp
  ${CMAKE_SOURCE_DIR}/editing/TextSearch.cpp ${CMAKE_SOURCE_DIR}/editing/EditCommands.cpp
  ${JOTBOOK_TEXTBOX_SOURCES})
jotbook_window_test(tst_find_dialogs unit/tst_find_dialogs.cpp)
