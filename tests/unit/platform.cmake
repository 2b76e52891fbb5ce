jotbook_unit_test(tst_platform unit/tst_platform.cpp jotbook_platform)
jotbook_unit_test(tst_ansi unit/tst_ansi.cpp jotbook_platform)
