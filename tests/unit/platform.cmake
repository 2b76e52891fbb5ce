jotbook_unit_test(tst_platform unit/tst_platform.cpp jotbook_desktop)
jotbook_unit_test(tst_ansi unit/tst_ansi.cpp jotbook_textmodel)
