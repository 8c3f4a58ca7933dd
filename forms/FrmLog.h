// The connection log window: the log's lines, newest at the bottom, with "复制" (the whole
// log to the clipboard) and "打开文件夹" (the folder of the log file, the file chosen).
// The main window hands it the text and the file and adds each new line while it is open.
// A long log shows its newest entries only (an edit box lays out a megabyte of lines for
// seconds); the first line then says where the rest is.
#pragma once

#include <string>

#include "framework/Framework.h"
#include "framework/Layout.h"
#include "framework/Memo.h"

class TFrmLog : public TForm {
 public:
  explicit TFrmLog(TComponent* AOwner);

  TMemo* Memo1 = nullptr;      // the log, read-only
  TButton* Button1 = nullptr;  // "复制"
  TButton* Button2 = nullptr;  // "打开文件夹"

  // Shows `text` (whole lines, GBK), scrolled to its end, as the log of `file`.
  void ShowLog(const std::string& text, const std::wstring& file);
  // One more line at the end (with its line break), while the window is open.
  void AddLine(const std::string& line);
  // The whole log as the window was given it (and the lines added since).
  const std::string& LogText() const { return FText; }

  // How much of the log the box shows at most.
  static constexpr size_t kShownBytes = 96 * 1024;

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);

 private:
  void ScrollToEnd();
  std::wstring FFile;
  std::string FText;
};

extern TFrmLog* FrmLog;
extern const TFormLayout FrmLogLayout;
