jotbook_unit_test(tst_about unit/tst_about.cpp jotbook_about)
