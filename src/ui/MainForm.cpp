#include "ui/MainForm.h"

#include "core/Protocol.h"
#include "ui/Language.h"
#include "ui/MainFormHandlers.h"
#include "ui/ProtocolFile.h"
#include "ui/WindowHost.h"

namespace plovik {

TFormMain* FormMain = nullptr;
bool MinimizedFlag = false;
uint8_t RememberedWindowState = 0;

namespace {

using D = FormMainDesign;

constexpr Anchor LeftTop = Anchor::Left | Anchor::Top;
constexpr Anchor Stretched = Anchor::Left | Anchor::Top | Anchor::Right;
constexpr Anchor RightTop = Anchor::Right | Anchor::Top;
constexpr Anchor AllSides = Anchor::Left | Anchor::Top | Anchor::Right | Anchor::Bottom;

// The design height of a text row, until start-up measures it.
constexpr int DesignRowHeight = 21;
constexpr int DesignCheckBoxHeight = 17;
constexpr int SettingsMenuGroup = 1;  // the radio group of the language entries

const Font InputFont{"Courier", D::InputFontHeight};
const Font MemoFont{"Lucida Console", D::MemoFontHeight};

// The design lists of the specification boxes; start-up puts the separator
// line in place of the first entry and the default ignore text in place of
// the second one of the ignore box.
const std::vector<std::string> SrcFileDesignItems{"-", ""};
const std::vector<std::string> IgnFileDesignItems{"-", "*.BAK", "*.TMP", "*.$$$", "~*.*", "*.~*", ""};

template <class T>
T& Placed(T& control, int left, int top, int width, int height, Anchor anchors = LeftTop) {
  control.SetBounds(left, top, width, height);
  control.SetAnchors(anchors);
  return control;
}

void CreateDirectoryRow(Form& form, int top, std::unique_ptr<Label>& label,
                        std::unique_ptr<Panel>& panel, std::unique_ptr<Edit>& edit,
                        std::unique_ptr<PictureButton>& button) {
  Toolkit& tk = Tk();
  label = tk.CreateLabel(form);
  Placed(*label, D::LabelLeft, top + 4, 60, 13);
  panel = tk.CreatePanel(form);
  Placed(*panel, D::InputLeft, top, form.ClientWidth() - D::InputLeft, DesignRowHeight, Stretched);
  panel->SetBorder(true);
  edit = tk.CreateEdit(*panel);
  const int inner = panel->ClientHeight();
  Placed(*edit, 0, 0, panel->ClientWidth() - inner - 1, inner, Stretched);
  edit->SetFont(InputFont);
  edit->SetBorder(false);
  edit->SetTabStop(true);
  button = tk.CreatePictureButton(*panel);
  Placed(*button, panel->ClientWidth() - inner, 0, inner, inner, RightTop);
  button->SetGlyph(Glyph::Folder);
  button->SetTabStop(false);
}

void CreateSpecRow(Form& form, int top, int tag, const std::vector<std::string>& items,
                   std::unique_ptr<Label>& label, std::unique_ptr<ComboBox>& box) {
  label = Tk().CreateLabel(form);
  Placed(*label, D::LabelLeft, top + 4, 60, 13);
  box = Tk().CreateComboBox(form);
  Placed(*box, D::InputLeft, top, D::SpecBoxWidth, DesignRowHeight);
  box->SetFont(InputFont);
  box->SetTag(tag);
  box->SetItems(items);
  box->SetTabStop(true);
}

std::unique_ptr<CheckBox> MakeCheckBox(Form& form, int left, int top, int width, bool checked) {
  std::unique_ptr<CheckBox> box = Tk().CreateCheckBox(form);
  Placed(*box, left, top, width, DesignCheckBoxHeight);
  box->SetChecked(checked);
  box->SetTabStop(false);
  return box;
}

void CreateCheckBoxes(TFormMain& f, int top) {
  Form& form = *f.Self;
  const int step = DesignRowHeight;
  f.CheckBoxSubDir = MakeCheckBox(form, D::CheckColumn1Left, top, D::CheckBoxWidth, true);
  f.CheckBoxEmptySubDir = MakeCheckBox(form, D::CheckColumn2Left, top, D::CheckBox2Width, true);
  f.CheckBoxIgnore = MakeCheckBox(form, D::CheckColumn1Left, top + step, D::CheckBoxWidth, true);
  f.CheckBoxReport = MakeCheckBox(form, D::CheckColumn2Left, top + step, D::CheckBox2Width, false);
  f.CheckBoxVerify =
      MakeCheckBox(form, D::CheckColumn1Left, top + 2 * step, D::CheckBoxWidth, true);
  f.CheckBoxNoUpdate =
      MakeCheckBox(form, D::CheckColumn2Left, top + 2 * step, D::CheckBox2Width, false);
  f.CheckBoxIgnoreFileAgeOneHourDiff =
      MakeCheckBox(form, D::CheckColumn1Left, top + 3 * step, D::WideCheckBoxWidth, true);
  // The debug box stands at the right end of its row, left of the test
  // button.
  f.CheckBoxDebug = MakeCheckBox(
      form, form.ClientWidth() - D::ButtonWidth - D::ButtonGap - D::DebugCheckBoxWidth,
      top + 3 * step, D::DebugCheckBoxWidth, false);
  f.CheckBoxDebug->SetAnchors(RightTop);
  f.CheckBoxDebug->SetVisible(false);
}

std::unique_ptr<Button> MakeButton(Form& form, int left, int top) {
  std::unique_ptr<Button> button = Tk().CreateButton(form);
  Placed(*button, left, top, D::ButtonWidth, D::ButtonHeight);
  button->SetTabStop(false);
  return button;
}

void CreateButtonRow(TFormMain& f, int top) {
  Form& form = *f.Self;
  Toolkit& tk = Tk();
  f.BitBtnHelp = tk.CreatePictureButton(form);
  Placed(*f.BitBtnHelp, D::LabelLeft, top, D::PictureButtonWidth, D::ButtonHeight);
  f.BitBtnHelp->SetGlyph(Glyph::Help);
  f.BitBtnHelp->SetTabStop(true);
  f.BitBtnSettings = tk.CreatePictureButton(form);
  Placed(*f.BitBtnSettings, D::LabelLeft + D::PictureButtonWidth + D::ButtonGap, top,
         D::PictureButtonWidth, D::ButtonHeight);
  f.BitBtnSettings->SetGlyph(Glyph::Settings);
  f.BitBtnSettings->SetTabStop(true);
  const int step = D::ButtonWidth + D::ButtonGap;
  f.ButtonStart = MakeButton(form, D::InputLeft, top);
  f.ButtonStart->SetDefault(true);
  f.ButtonAbort = MakeButton(form, D::InputLeft + step, top);
  f.ButtonAbort->SetEnabled(false);
  f.ButtonSwapDir = MakeButton(form, D::InputLeft + 2 * step, top);
  f.ButtonPrintLog = MakeButton(form, D::InputLeft + 3 * step, top);
  f.ButtonPrintLog->SetEnabled(false);
  f.ButtonSaveLog = MakeButton(form, D::InputLeft + 4 * step, top);
  f.ButtonSaveLog->SetEnabled(false);
  f.ButtonTest = MakeButton(form, form.ClientWidth() - D::ButtonWidth, top);
  f.ButtonTest->SetAnchors(RightTop);
  f.ButtonTest->SetCaption("Test");
  f.ButtonTest->SetVisible(false);
}

void CreateDebugInput(TFormMain& f, int top) {
  f.EditTest = Tk().CreateEdit(*f.Self);
  Placed(*f.EditTest, f.Self->ClientWidth() - D::EditTestWidth, top, D::EditTestWidth,
         DesignRowHeight, RightTop);
  f.EditTest->SetHint("For entering data (debug mode only)");
  f.EditTest->SetVisible(false);
}

void CreateProtocolArea(TFormMain& f, int top) {
  Form& form = *f.Self;
  f.MemoProtocol = Tk().CreateMemo(form);
  Placed(*f.MemoProtocol, 0, top, form.ClientWidth(), form.ClientHeight() - top, AllSides);
  f.MemoProtocol->SetFont(MemoFont);
  f.MemoProtocol->SetTabStop(false);
  f.PanelWaitToGo = Tk().CreatePanel(form);
  Placed(*f.PanelWaitToGo, D::LabelLeft, top + D::LabelLeft, form.ClientWidth() - 2 * D::LabelLeft,
         D::WaitPanelHeight, Stretched);
  f.PanelWaitToGo->SetVisible(false);
  f.LabelMemoProtocolFont = Tk().CreateLabel(form);
  f.LabelMemoProtocolFont->SetCaption("XXXXXXXXXX");
  f.LabelMemoProtocolFont->SetVisible(false);
}

void CreatePopupMenu(TFormMain& f) {
  f.PopupMenuFormMain = Tk().CreatePopupMenu(*f.Self);
  PopupMenu& menu = *f.PopupMenuFormMain;
  f.MenuItemHelp = &menu.AddItem("Help");
  f.MenuItemHelp->SetShortcut(KeyF1, ShiftState::None);
  menu.AddSeparator();
  f.MenuItemDefaultIgnoreFileSpecs = &menu.AddItem("Define default ignore file specs");
  f.MenuItemProtocolScreenFont = &menu.AddItem("Select protocol screen font");
  f.MenuItemProtocolPrinterFont = &menu.AddItem("Select protocol printer font");
  f.MenuItemKeepTime = &menu.AddItem("Set waiting time before program auto termination");
  menu.AddSeparator();
  f.MenuItemLanguageEnglish = &menu.AddItem("Language English");
  f.MenuItemLanguageGerman = &menu.AddItem("Sprache   Deutsch");
  for (MenuItem* item : {f.MenuItemLanguageEnglish, f.MenuItemLanguageGerman}) {
    item->SetRadioGroup(SettingsMenuGroup);
    item->SetAutoCheck(true);
  }
  menu.AddSeparator();
  f.MenuItemSaveSettings = &menu.AddItem("  Save settings");
  f.MenuItemSaveSettings->SetAutoCheck(true);
  menu.AddSeparator();
  f.MenuItemExit = &menu.AddItem("Exit");
  f.MenuItemExit->SetShortcut(KeyF4, ShiftState::Alt);
  f.Self->SetContextMenu(&menu);
}

void CreateControls(TFormMain& f) {
  const int rowStep = DesignRowHeight + 8;
  const int srcTop = 4, dstTop = srcTop + rowStep, specTop = dstTop + rowStep;
  const int ignTop = specTop + rowStep, buttonTop = ignTop + rowStep;
  CreateDirectoryRow(*f.Self, srcTop, f.LabelSrcDir, f.PanelSrcDir, f.EditSrcDir, f.ButtonSrcDir);
  CreateDirectoryRow(*f.Self, dstTop, f.LabelDstDir, f.PanelDstDir, f.EditDstDir, f.ButtonDstDir);
  CreateSpecRow(*f.Self, specTop, 0, SrcFileDesignItems, f.LabelUpdateFiles, f.ComboBoxSrcFile);
  CreateSpecRow(*f.Self, ignTop, 1, IgnFileDesignItems, f.LabelIgnoreFiles, f.ComboBoxIgnFile);
  CreateCheckBoxes(f, specTop);
  CreateDebugInput(f, specTop);
  CreateButtonRow(f, buttonTop);
  CreateProtocolArea(f, buttonTop + D::ButtonHeight + 8);
  CreatePopupMenu(f);
}

void WireControls(TFormMain& f) {
  f.LabelSrcDir->SetOnClick(LabelSrcDirOnClick);
  f.LabelDstDir->SetOnClick(LabelDstDirOnClick);
  f.LabelUpdateFiles->SetOnClick(LabelUpdateFilesOnClick);
  f.LabelIgnoreFiles->SetOnClick(LabelIgnoreFilesOnClick);
  f.CheckBoxSubDir->SetOnClick(CheckBoxSubDirOnClick);
  f.CheckBoxEmptySubDir->SetOnClick(CheckBoxEmptySubDirOnClick);
  f.CheckBoxVerify->SetOnClick(CheckBoxVerifyOnClick);
  f.CheckBoxReport->SetOnClick(CheckBoxReportOnClick);
  f.CheckBoxIgnore->SetOnClick(CheckBoxIgnoreOnClick);
  f.CheckBoxNoUpdate->SetOnClick(CheckBoxNoUpdateOnClick);
  f.CheckBoxIgnoreFileAgeOneHourDiff->SetOnClick(CheckBoxIgnoreFileAgeOneHourDiffOnClick);
  f.CheckBoxDebug->SetOnClick(CheckBoxDebugOnClick);
  for (ComboBox* box : {f.ComboBoxSrcFile.get(), f.ComboBoxIgnFile.get()}) {
    box->SetOnEnter([box](NotifyEvent&) { SpecBoxEnteredOrLeft(*box); });
    box->SetOnExit([box](NotifyEvent&) { SpecBoxEnteredOrLeft(*box); });
    box->SetOnChange([box](NotifyEvent&) { SpecBoxChanged(*box); });
    box->SetOnDropDown([box](NotifyEvent&) { SpecBoxDroppedDown(*box); });
  }
  f.ButtonSrcDir->SetOnClick(ButtonSrcDirOnClick);
  f.ButtonDstDir->SetOnClick(ButtonDstDirOnClick);
  f.BitBtnHelp->SetOnClick(BitBtnHelpOnClick);
  f.BitBtnSettings->SetOnClick(BitBtnSettingsOnClick);
  f.ButtonSwapDir->SetOnClick(ButtonSwapDirOnClick);
  f.ButtonTest->SetOnClick(ButtonTestOnClick);
  f.ButtonPrintLog->SetOnClick(ButtonPrintLogOnClick);
  f.ButtonSaveLog->SetOnClick(ButtonSaveLogOnClick);
  f.MemoProtocol->SetOnChange([](NotifyEvent&) { UpdateLogButtons(); });
}

void WireMenu(TFormMain& f) {
  f.PopupMenuFormMain->SetOnPopup(FormMainPopupMenuOnPopup);
  f.MenuItemHelp->SetOnClick(MenuItemHelpOnClick);
  f.MenuItemDefaultIgnoreFileSpecs->SetOnClick(MenuItemDefaultIgnoreFileSpecsOnClick);
  f.MenuItemProtocolScreenFont->SetOnClick(MenuItemProtocolScreenFontOnClick);
  f.MenuItemProtocolPrinterFont->SetOnClick(MenuItemProtocolPrinterFontOnClick);
  f.MenuItemKeepTime->SetOnClick(MenuItemKeepTimeOnClick);
  f.MenuItemLanguageEnglish->SetOnClick(MenuItemLanguageOnClick);
  f.MenuItemLanguageGerman->SetOnClick(MenuItemLanguageOnClick);
  f.MenuItemExit->SetOnClick(MenuItemExitOnClick);
}

// The handler in a slot, when one is installed, called through a copy so
// that it may replace the slot while it runs.
template <class Handler, class Event>
void CallSlot(Handler FormMainHandlers::*slot, Event& event) {
  if (FormMain == nullptr) return;
  const Handler handler = FormMain->Handlers.*slot;
  if (handler) handler(event);
}

void WireSlots(TFormMain& f) {
  f.ButtonStart->SetOnClick([](NotifyEvent& e) { CallSlot(&FormMainHandlers::ButtonStartOnClick, e); });
  f.ButtonAbort->SetOnClick([](NotifyEvent& e) { CallSlot(&FormMainHandlers::ButtonAbortOnClick, e); });
  f.ButtonAbort->SetOnMouseDown(
      [](MouseEvent& e) { CallSlot(&FormMainHandlers::ButtonAbortOnMouseDown, e); });
  f.Self->SetOnKeyDown([](KeyEvent& e) { CallSlot(&FormMainHandlers::FormMainOnKeyDown, e); });
  f.Self->SetOnCloseQuery(
      [](CloseQueryEvent& e) { CallSlot(&FormMainHandlers::FormMainOnCloseQuery, e); });
  f.Self->SetOnClose([](CloseEvent& e) { CallSlot(&FormMainHandlers::FormMainOnClose, e); });
  f.MenuItemSaveSettings->SetOnClick(
      [](MenuItem& item) { CallSlot(&FormMainHandlers::MenuItemSaveSettingsOnClick, item); });
}

}  // namespace

TFormMain::~TFormMain() {
  const ProtocolControls& bound = BoundProtocol();
  if (bound.MemoProtocol == MemoProtocol.get()) {
    ProtocolControls rest = bound;
    rest.MemoProtocol = nullptr;
    rest.LabelMemoProtocolFont = nullptr;
    BindProtocol(rest);
  }
  if (Self != nullptr) Self->SetContextMenu(nullptr);
}

TFormMain& CreateFormMain() {
  DestroyFormMain();
  auto* f = new TFormMain;
  FormMain = f;
  f->Self = Tk().CreateForm();
  f->Self->SetBounds(0, 0, D::Width, D::Height);
  f->Self->SetMinSize(D::MinWidth, D::MinHeight);
  f->Self->SetKeyPreview(true);
  CreateControls(*f);
  ProtocolControls controls = BoundProtocol();
  controls.MemoProtocol = f->MemoProtocol.get();
  controls.LabelMemoProtocolFont = f->LabelMemoProtocolFont.get();
  BindProtocol(controls);
  WireControls(*f);
  WireMenu(*f);
  WireSlots(*f);
  SpecHistoryCount[0] = SpecHistoryCount[1] = 0;
  SettingsMenuOpen = false;
  return *f;
}

void DestroyFormMain() {
  TFormMain* f = FormMain;
  FormMain = nullptr;
  delete f;
}

void InstallHandlers(const FormMainHandlers& handlers) {
  if (FormMain != nullptr) FormMain->Handlers = handlers;
}

}  // namespace plovik
