// The platform contract over the fake platform: a fresh fake system per
// test, whose other owner of mutexes is a second fake process.
#include "contract/PlatformEnvironment.h"
#include "support/FakePlatform.h"

namespace plovik::contract {

namespace {

class FakeProcessOwner : public OtherOwner {
 public:
  explicit FakeProcessOwner(std::unique_ptr<test::FakePlatform> process)
      : process_(std::move(process)) {}
  // The process ends with its owner.
  ~FakeProcessOwner() override = default;

  void Run(const std::function<void(Platform&)>& work) override { work(*process_); }

 private:
  std::unique_ptr<test::FakePlatform> process_;
};

class FakePlatformEnvironment : public PlatformEnvironment {
 public:
  FakePlatformEnvironment() {
    fs_.MakeDir(Root());
    InstallPlatform(&fs_);
  }
  ~FakePlatformEnvironment() override { InstallPlatform(nullptr); }

  Platform& System() override { return fs_; }
  std::string Root() override { return "C:\\contract\\"; }
  std::string ShortName(const std::string& path) override { return fs_.ShortName(path); }
  void SetWriteTime(const std::string& path, const CivilTime& time) override {
    fs_.SetWriteTime(path, test::FakeFileTime(time));
  }
  void SetVariable(const std::string& name, const std::optional<std::string>& value) override {
    fs_.SetEnvironment(name, value);
  }
  std::unique_ptr<OtherOwner> StartOtherOwner() override {
    return std::make_unique<FakeProcessOwner>(fs_.StartProcess());
  }
  void PostMessageToSelf() override { fs_.PostMessage(); }
  void DrainMessages() override { fs_.DrainMessages(); }
  bool HoldsUnpairedSurrogates() override { return true; }
  bool EnforcesReadOnly() override { return true; }
  bool AppliesDosWildcards() override { return true; }
  unsigned AnsiCodePage() override { return 1252; }
  char MissingDrive() override { return 'Q'; }

 private:
  test::FakePlatform fs_;
};

}  // namespace

std::unique_ptr<PlatformEnvironment> MakePlatformEnvironment() {
  return std::make_unique<FakePlatformEnvironment>();
}

}  // namespace plovik::contract
