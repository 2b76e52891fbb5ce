jotbook_unit_test(tst_textfunctions unit/tst_textfunctions.cpp
  ${CMAKE_SOURCE_DIR}/document/MdlFunctions.cpp ${CMAKE_SOURCE_DIR}/document/MdlCommonDialogs.cpp
  ${CMAKE_SOURCE_DIR}/platform/Ansi.cpp)
jotbook_unit_test(tst_codepages unit/tst_codepages.cpp ${CMAKE_SOURCE_DIR}/document/MdlCode.cpp)
jotbook_unit_test(tst_fileaccess unit/tst_fileaccess.cpp ${CMAKE_SOURCE_DIR}/document/FileAccess.cpp
  ${CMAKE_SOURCE_DIR}/platform/SafeWrite.cpp)
jotbook_window_test(tst_documents unit/tst_documents.cpp)
