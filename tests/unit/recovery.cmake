jotbook_window_test(tst_recovery unit/tst_recovery.cpp)
