jotbook_window_test(tst_settings unit/tst_settings.cpp)
jotbook_window_test(tst_startup unit/tst_startup.cpp)
jotbook_window_test(tst_mainwindow unit/tst_mainwindow.cpp)
