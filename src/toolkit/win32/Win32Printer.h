// The default printer as a text stream (see Printer in Toolkit.h).
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>

#include "toolkit/Toolkit.h"
#include "toolkit/win32/GdiObject.h"

namespace plovik {

class Win32Toolkit;

class Win32Printer : public Printer {
 public:
  explicit Win32Printer(Win32Toolkit& toolkit) : toolkit_(toolkit) {}
  ~Win32Printer() override;
  Win32Printer(const Win32Printer&) = delete;
  Win32Printer& operator=(const Win32Printer&) = delete;

  bool Probe() override;
  void SetFont(const FontChoice& font) override { font_ = font; }
  PrinterMetrics Metrics() override;
  Result<void> BeginDoc(const std::string& title) override;
  void Write(const std::string& text) override;
  void Flush() override;
  Result<void> EndDoc() override;

  // The default printer's name; empty when there is none.
  static std::wstring DefaultPrinterName();
  // An information context of the default printer (for measuring); empty
  // when there is no printer.
  static OwnedDc InformationDc();
  // Pages begun in the open or last document.
  int PageCount() const { return pages_; }

 private:
  GdiObject<HFONT> CanvasFont(HDC dc) const;
  void PutCharacter(const std::wstring& character);
  void DrawPendingText();
  void NewLine();
  void NewPage();
  void StartPageWithFont();
  int CharacterWidth(const std::wstring& character);

  Win32Toolkit& toolkit_;
  FontChoice font_{"Courier New", 10};
  GdiObject<HFONT> canvasFont_;
  OwnedDc dc_;  // the open print document's
  bool open_ = false;
  int pages_ = 0;
  int x_ = 0, y_ = 0;  // where the next character goes
  int lineHeight_ = 0, pageWidth_ = 0, pageHeight_ = 0;
  std::wstring pending_;  // characters of the current line not drawn yet
  int pendingX_ = 0;
  std::unordered_map<std::wstring, int> widths_;
};

}  // namespace plovik
