// Entry point of the test suite that runs under Wine (or Windows) against
// the real Win32 layers. Wide-character arguments keep test filters with
// non-ASCII names intact. Started with the walk switch, the program walks
// one tree instead, for the tests that need a walk in a process of its own;
// started with the instance switch, it acts as one instance of the program
// waiting for its turn.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "win/support/InstanceChild.h"
#include "win/support/WalkChild.h"

int wmain(int argc, wchar_t** argv) {
  // A missing medium or a failing drive must give an error code, never a
  // system dialog that would stall an unattended test run.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
  if (argc >= 2 && std::wstring(argv[1]) == plovik::test::WalkChildSwitch)
    return plovik::test::RunWalkChild(argc - 2, argv + 2);
  if (argc >= 2 && std::wstring(argv[1]) == plovik::test::InstanceChildSwitch)
    return plovik::test::RunInstanceChild(argc - 2, argv + 2);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
