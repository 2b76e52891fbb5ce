jotbook_unit_test(tst_refresh unit/tst_refresh.cpp jotbook_chrome)
