jotbook_window_test(tst_printing unit/tst_printing.cpp)
