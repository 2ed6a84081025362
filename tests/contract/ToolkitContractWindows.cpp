// The toolkit contract, forms: the application minimised and restored with
// its main form and the events it reports, the state each form keeps,
// sizes and anchors, and closing.
#include <optional>
#include <string>
#include <vector>

#include "contract/ToolkitContract.h"

namespace plovik::contract {
namespace {

// Records the application's events with the state the main form and the
// application report while each runs.
struct EventLog {
  EventLog(Toolkit& kit, Form& main) {
    kit.SetOnMinimize([this, &kit, &main] { Add("minimize", kit, main); });
    kit.SetOnRestore([this, &kit, &main] { Add("restore", kit, main); });
  }
  void Add(const char* event, Toolkit& kit, const Form& main) {
    std::string entry = event;
    entry.append(" ").append(Name(main.GetWindowState()));
    entry.append(", back to ").append(Name(main.RestoreState()));
    if (kit.Minimized()) entry.append(", application minimised");
    entries.push_back(entry);
  }
  static std::string Name(WindowState state) {
    return state == WindowState::Minimized   ? "minimised"
           : state == WindowState::Maximized ? "maximised"
                                             : "normal";
  }
  std::vector<std::string> entries;
};

const std::string Minimised = "minimize minimised, back to normal, application minimised";
const std::string Restored = "restore normal, back to normal";

TEST_F(ToolkitContract, TheMainFormsMinimiseAndRestoreAreTheApplicationsWithOneEventPerChange) {
  Kit().SetMainForm(form.get());
  EventLog log(Kit(), *form);
  Kit().Minimize();
  Settle();
  EXPECT_EQ(form->GetWindowState(), WindowState::Minimized);
  EXPECT_TRUE(Kit().Minimized());
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(env().OnTaskbar(*form));
  EXPECT_EQ(form->NormalBounds(), (Rect{40, 40, 480, 320}));
  Kit().Minimize();  // no change, no event
  Kit().Restore();
  Settle();
  EXPECT_EQ(form->GetWindowState(), WindowState::Normal);
  EXPECT_FALSE(Kit().Minimized());
  EXPECT_TRUE(env().Active(*form));
  Kit().Restore();  // no change, no event
  // The user's minimise box and taskbar button, and the form's own state.
  env().ClickMinimizeBox(*form);
  EXPECT_TRUE(Kit().Minimized());
  env().ClickRestore(*form);
  form->SetWindowState(WindowState::Minimized);
  Settle();
  form->SetWindowState(WindowState::Normal);
  Settle();
  EXPECT_EQ(BoundsOf(*form), (Rect{40, 40, 480, 320}));
  EXPECT_EQ(log.entries, (std::vector<std::string>{Minimised, Restored, Minimised, Restored,
                                                   Minimised, Restored}));

  // Bringing the application to the front restores it.
  auto other = MakeForm(Rect{300, 200, 300, 200}, true);
  other->SetFocus();
  Kit().Minimize();
  Kit().BringToFront();
  Settle();
  EXPECT_EQ(form->GetWindowState(), WindowState::Normal);
  EXPECT_FALSE(Kit().Minimized());
  EXPECT_TRUE(env().Active(*form));
  EXPECT_EQ(log.entries.size(), 8u);

  // Another form minimises on its own: the application is not minimised.
  env().ClickMinimizeBox(*other);
  EXPECT_EQ(other->GetWindowState(), WindowState::Minimized);
  EXPECT_FALSE(Kit().Minimized());
  env().ClickRestore(*other);
  EXPECT_EQ(other->GetWindowState(), WindowState::Normal);
  EXPECT_EQ(log.entries.size(), 8u);
}

// A hidden main form minimised shows on the taskbar, minimised and not
// activated: hidden and minimised, no user could ever bring it back.
TEST_F(ToolkitContract, AHiddenMainFormMinimisedGetsItsTaskbarButtonAndComesBackNormal) {
  auto main = MakeForm(Rect{60, 50, 500, 300}, false);
  Kit().SetMainForm(main.get());
  EventLog log(Kit(), *main);
  Kit().Minimize();
  Settle();
  EXPECT_TRUE(main->Visible());
  EXPECT_TRUE(env().OnTaskbar(*main));
  EXPECT_EQ(main->GetWindowState(), WindowState::Minimized);
  EXPECT_TRUE(Kit().Minimized());
  EXPECT_FALSE(env().Active(*main));
  EXPECT_TRUE(env().Active(*form));
  env().ClickRestore(*main);
  EXPECT_EQ(main->GetWindowState(), WindowState::Normal);
  EXPECT_TRUE(main->Visible());
  EXPECT_TRUE(env().Active(*main));
  EXPECT_EQ(BoundsOf(*main), (Rect{60, 50, 500, 300}));
  EXPECT_EQ(log.entries, (std::vector<std::string>{Minimised, Restored}));

  // The restore of the application does the same.
  main->SetVisible(false);
  Settle();
  Kit().Minimize();
  Settle();
  EXPECT_TRUE(env().OnTaskbar(*main));
  Kit().Restore();
  Settle();
  EXPECT_EQ(main->GetWindowState(), WindowState::Normal);
  EXPECT_TRUE(main->Visible());
  EXPECT_EQ(log.entries.size(), 4u);
}

// Checked without letting messages through between the steps: under Xvfb
// no window manager keeps a window maximised once its messages arrive.
TEST_F(ToolkitContract, AMaximisedFormComesBackMaximisedAfterMinimiseAndRestore) {
  Kit().SetMainForm(form.get());
  form->SetBounds(60, 50, 500, 350);
  EventLog log(Kit(), *form);
  env().ClickMaximizeBox(*form);
  EXPECT_EQ(form->GetWindowState(), WindowState::Maximized);
  EXPECT_EQ(form->RestoreState(), WindowState::Maximized);
  env().ClickMinimizeBox(*form);
  EXPECT_EQ(form->RestoreState(), WindowState::Maximized);
  env().ClickRestore(*form);
  EXPECT_EQ(form->GetWindowState(), WindowState::Maximized);
  EXPECT_EQ(form->NormalBounds(), (Rect{60, 50, 500, 350}));
  Kit().Minimize();
  Kit().Restore();
  EXPECT_EQ(form->GetWindowState(), WindowState::Maximized);
  EXPECT_EQ(log.entries,
            (std::vector<std::string>{
                "minimize minimised, back to maximised, application minimised",
                "restore maximised, back to maximised",
                "minimize minimised, back to maximised, application minimised",
                "restore maximised, back to maximised"}));
  // Back to normal, at the normal bounds; a minimise now returns to normal.
  form->SetWindowState(WindowState::Normal);
  Settle();
  EXPECT_EQ(BoundsOf(*form), (Rect{60, 50, 500, 350}));
  env().ClickMinimizeBox(*form);
  EXPECT_EQ(form->RestoreState(), WindowState::Normal);
  env().ClickRestore(*form);
  EXPECT_EQ(form->GetWindowState(), WindowState::Normal);
}

TEST_F(ToolkitContract, FormKeepsItsMinimumSizeNormalBoundsAndAnchoredControls) {
  auto stretched = Kit().CreateEdit(*form);
  stretched->SetBounds(8, 8, 200, 21);
  stretched->SetAnchors(Anchor::Left | Anchor::Top | Anchor::Right);
  auto corner = Kit().CreateButton(*form);
  corner->SetBounds(300, 200, 80, 24);
  corner->SetAnchors(Anchor::Right | Anchor::Bottom);
  auto panel = Kit().CreatePanel(*form);
  panel->SetBounds(8, 40, 200, 100);
  panel->SetAnchors(Anchor::Left | Anchor::Top | Anchor::Bottom);
  auto inPanel = Kit().CreateButton(*panel);
  inPanel->SetBounds(10, 60, 60, 24);
  inPanel->SetAnchors(Anchor::Left | Anchor::Bottom);
  int resizes = 0;
  form->SetOnResize([&](NotifyEvent&) { ++resizes; });

  form->SetMinSize(400, 300);
  form->SetBounds(40, 40, 600, 400);  // 120 wider, 80 higher than at the start
  EXPECT_EQ(stretched->Width(), 320);
  EXPECT_EQ(corner->Left(), 420);
  EXPECT_EQ(corner->Top(), 280);
  EXPECT_EQ(panel->Height(), 180);
  EXPECT_EQ(inPanel->Top(), 140);
  EXPECT_EQ(resizes, 1);
  form->SetBounds(45, 45, 600, 400);  // moved, not resized
  EXPECT_EQ(resizes, 1);
  form->SetBounds(40, 40, 100, 100);
  EXPECT_EQ(BoundsOf(*form), (Rect{40, 40, 400, 300}));

  // Bounds set while maximised are the ones it gets back.
  form->SetWindowState(WindowState::Maximized);
  EXPECT_EQ(form->GetWindowState(), WindowState::Maximized);
  EXPECT_EQ(form->NormalBounds(), (Rect{40, 40, 400, 300}));
  form->SetBounds(60, 50, 500, 350);
  EXPECT_EQ(form->GetWindowState(), WindowState::Maximized);
  EXPECT_EQ(form->NormalBounds(), (Rect{60, 50, 500, 350}));
  form->SetWindowState(WindowState::Normal);
  EXPECT_EQ(BoundsOf(*form), (Rect{60, 50, 500, 350}));
  // A hidden form keeps its state and takes it along when it is shown.
  form->SetVisible(false);
  form->SetWindowState(WindowState::Maximized);
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(form->GetWindowState(), WindowState::Maximized);
  form->SetVisible(true);
  EXPECT_EQ(form->GetWindowState(), WindowState::Maximized);
  EXPECT_EQ(form->NormalBounds(), (Rect{60, 50, 500, 350}));
}

TEST_F(ToolkitContract, CloseQueryCanRefuseAndTheCloseActionDecides) {
  auto second = MakeForm(Rect{100, 100, 300, 200}, true);
  bool allow = false;
  std::optional<CloseAction> decision;  // what the close handler decides, if anything
  std::vector<CloseAction> offered;
  for (Form* f : {form.get(), second.get()}) {
    f->SetOnCloseQuery([&](CloseQueryEvent& event) { event.canClose = allow; });
    f->SetOnClose([&](CloseEvent& event) {
      offered.push_back(event.action);
      if (decision) event.action = *decision;
    });
  }
  Kit().SetMainForm(form.get());
  // The close box of the second form: refused, then hidden.
  env().ClickCloseBox(*second);
  EXPECT_TRUE(second->Visible());
  EXPECT_TRUE(offered.empty());
  allow = true;
  env().ClickCloseBox(*second);
  EXPECT_FALSE(second->Visible());
  // The main form: refused, kept or hidden by the handler, then freed,
  // which ends the application.
  allow = false;
  env().ClickCloseBox(*form);
  allow = true;
  decision = CloseAction::None;
  form->Close();
  EXPECT_TRUE(form->Visible());
  decision = CloseAction::Hide;
  form->Close();
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(Kit().Terminated());
  decision.reset();
  form->SetVisible(true);
  env().ClickCloseBox(*form);
  EXPECT_FALSE(form->Visible());
  EXPECT_TRUE(Kit().Terminated());
  EXPECT_EQ(offered, (std::vector<CloseAction>{CloseAction::Hide, CloseAction::Free,
                                               CloseAction::Free, CloseAction::Free}));
}

}  // namespace
}  // namespace plovik::contract
