#include "forms/FrmLog.h"

// shellapi.h needs the types of windows.h.
#include <shellapi.h>

#include <cstring>

#include "framework/Gbk.h"
#include "framework/SystemLibrary.h"

TFrmLog* FrmLog = nullptr;

namespace {
TSystemLibrary Shell(L"shell32.dll");
TSystemFunction<decltype(&::ShellExecuteW)> ShellExecuteFn(Shell, "ShellExecuteW");
}  // namespace

TFrmLog::TFrmLog(TComponent* AOwner) : TForm(AOwner) {
  PublishField("Memo1", Memo1);
  PublishField("Button1", Button1);
  PublishField("Button2", Button2);
  PublishMethod("Button1Click", &TFrmLog::Button1Click);
  PublishMethod("Button2Click", &TFrmLog::Button2Click);
  LoadLayout(*this, FrmLogLayout);
}

namespace {

// The text without its last line break: the box would show an empty line more.
std::string WithoutLastBreak(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

void TFrmLog::ShowLog(const std::string& text, const std::wstring& file) {
  FFile = file;
  FText = text;
  std::string shown = WithoutLastBreak(text);
  if (shown.size() > kShownBytes) {
    // The newest whole lines that fit.
    const size_t cut = shown.find('\n', shown.size() - kShownBytes);
    shown = "（较早的记录在日志文件中，请点击“打开文件夹”查看）\r\n" +
            (cut == std::string::npos ? std::string() : shown.substr(cut + 1));
  }
  Memo1->SetText(shown);
  ScrollToEnd();
}

void TFrmLog::AddLine(const std::string& line) {
  FText += line;
  const std::string shown = WithoutLastBreak(line);
  if (!Memo1->HandleAllocated()) {
    Memo1->Lines()->Add(shown);
    return;
  }
  const LRESULT end = GetWindowTextLengthW(Memo1->Handle());
  const std::wstring text = (end ? L"\r\n" : L"") + GbkToWide(shown);
  SendMessageW(Memo1->Handle(), EM_SETSEL, end, end);
  SendMessageW(Memo1->Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  ScrollToEnd();
}

void TFrmLog::ScrollToEnd() {
  if (!Memo1->HandleAllocated()) return;
  const LRESULT end = GetWindowTextLengthW(Memo1->Handle());
  SendMessageW(Memo1->Handle(), EM_SETSEL, end, end);
  SendMessageW(Memo1->Handle(), EM_SCROLLCARET, 0, 0);
}

// The whole log, as text any program can take.
void TFrmLog::Button1Click(TObject* Sender) {
  const std::wstring text = GbkToWide(LogText());
  if (!OpenClipboard(Handle())) return;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* to = GlobalLock(memory)) {
      std::memcpy(to, text.c_str(), bytes);
      GlobalUnlock(memory);
      // The clipboard owns the memory once it took it.
      if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    } else {
      GlobalFree(memory);
    }
  }
  CloseClipboard();
}

// The file's folder in the system's file window, the file chosen there.
void TFrmLog::Button2Click(TObject* Sender) {
  if (FFile.empty()) return;
  const std::wstring args = L"/select,\"" + FFile + L"\"";
  ShellExecuteFn(Handle(), nullptr, L"explorer.exe", args.c_str(), nullptr, SW_SHOWNORMAL);
}
