// skingallery: one window with every kind of control the skin engine draws, skinned by
// the program's skin engine as any plain window of the program is. Skin authors look at
// a skin with it; the end-to-end tests and the skin benchmarks drive it.
//
//   skingallery.exe [-unskinned] [-lines N] [SKINFILE]
//
// SKINFILE: a packed skin to show (otherwise the default skin the program carries).
// -unskinned: no skin at all, the system's own look (the benchmarks' baseline).
// -lines N: the list box gets N lines (200 by default; 10000 for the scrolling benchmark).
#include <windows.h>
// (the common controls' header needs the base declarations first)
#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

#include "skin/SkinData.h"
#include "skin/SkinManager.h"
#include "skins/DefaultSkin.h"
#include "tools/skingallery/GalleryIds.h"
#include "tools/skingallery/GalleryWindow.h"

namespace {

struct TCommandLine {
  bool unskinned = false;
  int lines = gallery::kDefaultListLines;
  std::wstring skinFile;
};

// The command line, or nothing (with the reason in `error`) when it cannot be used.
std::optional<TCommandLine> ParseCommandLine(std::wstring& error) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return TCommandLine{};
  TCommandLine c;
  bool ok = true;
  for (int i = 1; i < argc && ok; ++i) {
    const std::wstring a = argv[i];
    if (a == L"-unskinned") {
      c.unskinned = true;
    } else if (a == L"-lines") {
      wchar_t* end = nullptr;
      const long n = i + 1 < argc ? std::wcstol(argv[i + 1], &end, 10) : -1;
      if (i + 1 >= argc || *end != 0 || n < 0 || n > 1000000) {
        error = L"-lines needs a number of lines from 0 to 1000000.";
        ok = false;
      }
      c.lines = static_cast<int>(n);
      ++i;
    } else if (!a.empty() && a[0] == L'-') {
      error = L"Unknown option " + a + L".";
      ok = false;
    } else if (c.skinFile.empty()) {
      c.skinFile = a;
    } else {
      error = L"Only one skin file can be shown.";
      ok = false;
    }
  }
  LocalFree(argv);
  if (!ok) return std::nullopt;
  return c;
}

// A main-form skin data with the packed skin, switched on: the skin manager's hook skins
// the gallery window when it is first activated. Null when the bytes are not a skin.
std::unique_ptr<TSkinData> LoadSkin(std::vector<uint8_t> packed) {
  auto data = std::make_unique<TSkinData>(nullptr);
  data->PackedSkin = std::move(packed);
  if (!data->LoadSkinStore()) return nullptr;
  data->SetActive(true);
  data->Loaded();
  return data;
}

int Fail(const std::wstring& text) {
  MessageBoxW(nullptr, text.c_str(), gallery::kWindowCaption, MB_OK | MB_ICONERROR);
  return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int show) {
  std::wstring error;
  const std::optional<TCommandLine> args = ParseCommandLine(error);
  if (!args) return Fail(error + L"\n\nUsage: skingallery.exe [-unskinned] [-lines N] [SKINFILE]");

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                           ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);

  std::unique_ptr<TSkinData> skin;
  gallery::TGalleryOptions options;
  options.listLines = args->lines;
  if (args->unskinned) {
    options.skinName = L"none";
  } else if (args->skinFile.empty()) {
    // The stream is the layout's form: a 32-bit length before the packed skin.
    skin = LoadSkin(
        std::vector<uint8_t>(DefaultSkinStream + 4, DefaultSkinStream + DefaultSkinStreamSize));
    options.skinName = L"default";
    if (!skin) return Fail(L"The default skin cannot be read.");
  } else {
    std::ifstream in(args->skinFile.c_str(), std::ios::binary);
    if (!in) return Fail(L"The skin file " + args->skinFile + L" cannot be opened.");
    skin = LoadSkin(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
    if (!skin)
      return Fail(L"The file " + args->skinFile + L" is not a skin this program can show.");
    const size_t slash = args->skinFile.find_last_of(L"\\/");
    options.skinName =
        slash == std::wstring::npos ? args->skinFile : args->skinFile.substr(slash + 1);
  }

  HWND window = gallery::CreateGalleryWindow(options);
  if (!window) return Fail(L"The gallery window cannot be made.");
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // The skin data goes before the manager it is registered with.
  skin.reset();
  delete SkinManager;
  SkinManager = nullptr;
  return static_cast<int>(msg.wParam);
}
