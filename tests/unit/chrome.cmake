jotbook_unit_test(tst_refresh unit/tst_refresh.cpp jotbook_chrome)
jotbook_window_test(tst_chrome unit/tst_chrome.cpp)
jotbook_window_test(tst_tray unit/tst_tray.cpp)
