// The connection log window: the log's lines, newest at the bottom, with "复制" (the whole
// log to the clipboard) and "打开文件夹" (the folder of the log file, the file chosen).
// The main window hands it the text and the file and adds each new line while it is open.
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
  // The text as the window holds it.
  std::string LogText() const;

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);

 private:
  void ScrollToEnd();
  std::wstring FFile;
};

extern TFrmLog* FrmLog;
extern const TFormLayout FrmLogLayout;
