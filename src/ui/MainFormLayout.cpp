#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "ui/MainForm.h"
#include "ui/MainFormHandlers.h"

namespace plovik {

namespace {

// Space between two rows, and between the button row and the protocol.
constexpr int RowGap = 8;
constexpr int FirstRowTop = 4;
constexpr int CheckRows = 3;  // steps between the four check-box rows

struct Measures {
  int rowHeight;
  int buttonHeight;
  int labelOffset;
  int checkBoxHeight;
};

int Below(const Control& control, int rowHeight) { return control.Top() + rowHeight + RowGap; }

void SetTop(Control& control, int top) {
  control.SetBounds(control.Left(), top, control.Width(), control.Height());
}

void LayOutDirectoryRows(TFormMain& f, const Measures& m) {
  const int clientWidth = f.Self->ClientWidth();
  Panel& src = *f.PanelSrcDir;
  src.SetBounds(src.Left(), FirstRowTop, clientWidth - src.Left(), m.rowHeight);
  Panel& dst = *f.PanelDstDir;
  dst.SetBounds(dst.Left(), Below(src, m.rowHeight), src.Width(), m.rowHeight);
  // The edit fills its panel but for a square button at its right end.
  const int h = src.ClientHeight();
  const int w = src.ClientWidth() - h - 1;
  for (Edit* edit : {f.EditSrcDir.get(), f.EditDstDir.get()}) edit->SetBounds(0, 0, w, h);
  for (PictureButton* button : {f.ButtonSrcDir.get(), f.ButtonDstDir.get()}) {
    button->SetBounds(w + 1, 0, h, h);
  }
}

void LayOutCheckBoxes(TFormMain& f, const Measures& m, int buttonRowTop) {
  const int top = f.ComboBoxSrcFile->Top();
  const int step = static_cast<int>(
      std::nearbyint((buttonRowTop + m.buttonHeight - top - m.checkBoxHeight) / double(CheckRows)));
  const std::pair<CheckBox*, CheckBox*> rows[] = {
      {f.CheckBoxSubDir.get(), f.CheckBoxEmptySubDir.get()},
      {f.CheckBoxIgnore.get(), f.CheckBoxReport.get()},
      {f.CheckBoxVerify.get(), f.CheckBoxNoUpdate.get()},
      {f.CheckBoxIgnoreFileAgeOneHourDiff.get(), f.CheckBoxDebug.get()},
  };
  int rowTop = top;
  for (const auto& [left, right] : rows) {
    SetTop(*left, rowTop);
    SetTop(*right, rowTop);
    rowTop += step;
  }
}

void LayOutButtonRow(TFormMain& f, int top) {
  for (Control* button : std::initializer_list<Control*>{
           f.BitBtnHelp.get(), f.BitBtnSettings.get(), f.ButtonStart.get(), f.ButtonAbort.get(),
           f.ButtonSwapDir.get(), f.ButtonPrintLog.get(), f.ButtonSaveLog.get(),
           f.ButtonTest.get()}) {
    SetTop(*button, top);
  }
}

void LayOutProtocol(TFormMain& f) {
  Form& form = *f.Self;
  const int top = f.ButtonStart->Top() + f.ButtonStart->Height() + RowGap;
  f.MemoProtocol->SetBounds(f.MemoProtocol->Left(), top, form.ClientWidth(),
                            form.ClientHeight() - top);
  Panel& wait = *f.PanelWaitToGo;
  wait.SetBounds(wait.Left(), top + RowGap, form.ClientWidth() - 2 * wait.Left(), wait.Height());
}

// The separator replaces the first entry of both specification boxes.
void PutSeparatorLines(TFormMain& f) {
  ComboBox& box = *f.ComboBoxSrcFile;
  const int dashWidth = std::max(1, Tk().TextWidth(box.GetFont(), "-"));
  const int count = std::max(0, (box.Width() - box.Height()) / dashWidth);
  SeparatorLine.assign(static_cast<size_t>(count), '-');
  for (ComboBox* list : {f.ComboBoxSrcFile.get(), f.ComboBoxIgnFile.get()}) {
    if (list->ItemCount() > 0) list->DeleteItem(0);
    list->InsertItem(0, SeparatorLine);
  }
}

}  // namespace

void LayOutFormMain() {
  if (FormMain == nullptr) return;
  TFormMain& f = *FormMain;
  Measures m;
  m.rowHeight = f.ComboBoxSrcFile->Height();
  m.buttonHeight = f.ButtonStart->Height();
  m.labelOffset = (m.rowHeight - f.LabelSrcDir->Height()) / 2;
  m.checkBoxHeight = f.CheckBoxSubDir->Height();

  LayOutDirectoryRows(f, m);
  SetTop(*f.ComboBoxSrcFile, Below(*f.PanelDstDir, m.rowHeight));
  SetTop(*f.ComboBoxIgnFile, Below(*f.ComboBoxSrcFile, m.rowHeight));
  Edit& test = *f.EditTest;
  test.SetBounds(f.Self->ClientWidth() - test.Width(), Below(*f.PanelDstDir, m.rowHeight),
                 test.Width(), test.Height());
  const int buttonRowTop = Below(*f.ComboBoxIgnFile, m.rowHeight);
  LayOutButtonRow(f, buttonRowTop);
  SetTop(*f.LabelSrcDir, f.PanelSrcDir->Top() + m.labelOffset);
  SetTop(*f.LabelDstDir, f.PanelDstDir->Top() + m.labelOffset);
  SetTop(*f.LabelUpdateFiles, f.ComboBoxSrcFile->Top() + m.labelOffset);
  SetTop(*f.LabelIgnoreFiles, f.ComboBoxIgnFile->Top() + m.labelOffset);
  LayOutCheckBoxes(f, m, buttonRowTop);
  LayOutProtocol(f);
  PutSeparatorLines(f);
}

}  // namespace plovik
