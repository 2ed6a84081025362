// Entry point of the test suite that runs under Wine (or Windows) against
// the real Win32 layers. Wide-character arguments keep test filters with
// non-ASCII names intact.
#include <windows.h>

#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
  // A missing medium or a failing drive must give an error code, never a
  // system dialog that would stall an unattended test run.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
