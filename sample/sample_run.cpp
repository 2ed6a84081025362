// Brings a destination tree up to date from a source tree with the program's
// engine, on the real file system, and prints the protocol of the run with
// its summary: a way to watch the update at work before the main window and
// the command line drive it.
//
// plovik_sample.exe <source> <destination> [--verify] [--dry-run] [--german]
//
// Dialogs are not shown: every question is answered with Ignore, so a file
// that cannot be copied gets its failure line and the run goes on. The exit
// code is 0 when the protocol holds no failure line.
#include <windows.h>

#include <cstdio>
#include <string>

#include "engine/TreeWalk.h"
#include "lib/Wide.h"
#include "core/RunRecords.h"
#include "run/RunSummary.h"
#include "toolkit/headless/Headless.h"
#include "core/Protocol.h"
#include "win/support/RealFilesEnvironment.h"

using namespace plovik;

int wmain(int argc, wchar_t** argv) {
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  std::string paths[2];
  int pathCount = 0;
  bool verify = false, dryRun = false, german = false;
  for (int i = 1; i < argc; ++i) {
    const std::wstring argument = argv[i];
    if (argument == L"--verify") {
      verify = true;
    } else if (argument == L"--dry-run") {
      dryRun = true;
    } else if (argument == L"--german") {
      german = true;
    } else if (pathCount < 2 && argument.rfind(L"--", 0) != 0) {
      paths[pathCount++] = Narrow(argument.c_str());
    } else {
      pathCount = 3;  // anything else is a mistake
    }
  }
  if (pathCount != 2) {
    std::fprintf(stderr,
                 "usage: plovik_sample <source> <destination> [--verify] [--dry-run] [--german]\n");
    return 2;
  }

  test::RealFilesEnvironment environment(120);
  environment.toolkit().defaultAnswer = ModalIgnore;
  LanguageIndex = german ? 1 : 0;
  RunOptions = TRunOptions{};
  RunOptions.SubDirFlag = true;
  RunOptions.EmptyFlag = true;
  RunOptions.ReportFlag = true;
  RunOptions.VerifyFlag = verify;
  RunOptions.NoUpdateFlag = dryRun;
  RunOptions.SrcFileSpecList[1] = "*.*";
  RunOptions.SrcFileSpecCount = 1;
  RunState = TRunState{};
  RunState.RunDialogAnswer = ModalOk;
  ResetRunCounters();

  // The two roots are what a user typed: the only paths made absolute and
  // canonical ("." and "..", "/" and trailing dots), as the program does.
  for (std::string& path : paths) path = Sys().FullPathName(path).ValueOr(path);
  WalkTree(paths[0], paths[1]);
  WriteRunSummary(RunCounters);

  int failures = 0;
  for (const std::string& line : environment.Lines()) {
    if (line.rfind("******", 0) == 0) ++failures;
    std::printf("%s\n", line.c_str());
  }
  return failures == 0 ? 0 : 1;
}
