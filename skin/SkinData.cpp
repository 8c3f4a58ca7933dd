#include "skin/SkinData.h"

#include "core/text/text.h"
#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Gbk.h"
#include "skin/SkinManager.h"
#include "skins/DefaultSkin.h"

namespace {

void DeleteBitmap(void* h) {
  handle_closers::TypedGdi<HBITMAP>::Close(static_cast<HBITMAP>(h));
}

}  // namespace

HBITMAP CreateSkinBitmap(const TSkinPicture& Picture) {
  if (Picture.Empty()) return nullptr;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = Picture.Width;
  bi.bmiHeader.biHeight = -Picture.Height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp || !bits) return bmp;
  memcpy(bits, Picture.Pixels.data(), Picture.Pixels.size() * sizeof(uint32_t));
  GdiFlush();
  return bmp;
}

HBITMAP SkinBitmapOf(TSkinPicture& Picture) {
  if (Picture.Empty()) return nullptr;
  if (!Picture.Handle) {
    if (HBITMAP bmp = CreateSkinBitmap(Picture))
      Picture.Handle = std::shared_ptr<void>(bmp, DeleteBitmap);
  }
  return static_cast<HBITMAP>(Picture.Handle.get());
}

namespace {

// The class-name mappings a skin data starts with: a control class and the kind of skin
// control it gets.
constexpr const char* kDefaultSkin3rd[] = {
    "TTBDock=Panel",
    "TTBToolbar=Panel",
    "TImageEnMView=scrollbar",
    "TImageEnView=scrollbar",
    "TRzButton=button",
    "TRzCheckGroup=CheckGroup",
    "TRzRadioGroup=Radiogroup",
    "TRzRadioButton=Radiobutton",
    "TRzCheckBox=Checkbox",
    "TRzButtonEdit=Edit",
    "TRzDBRadioGroup=Radiogroup",
    "TRzDBRadioButton=Radiobutton",
    "TRzDBCheckBox=Checkbox",
    "TDBCheckboxEh=Checkbox",
    "TDBCheckboxEh=Checkbox",
    "TLMDCHECKBOX=Checkbox",
    "TLMDDBCHECKBOX=Checkbox",
    "TLMDRadiobutton=Radiobutton",
    "TLMDGROUPBOX=Panel",
    "TLMDSIMPLEPANEL=Panel",
    "TLMDDBCalendar=Panel",
    "TLMDButtonPanel=Panel",
    "TLMDLMDCalculator=Panel",
    "TLMDHeaderPanel=Panel",
    "TLMDTechnicalLine=Panel",
    "TLMDLMDClock=Panel",
    "TLMDTrackbar=trackbar",
    "TLMDListCombobox=combobox",
    "TLMDCheckListCombobox=combobox",
    "TLMDHeaderListCombobox=combobox",
    "TLMDImageCombobox=combobox",
    "TLMDColorCombobox=combobox",
    "TLMDFontCombobox=combobox",
    "TLMDFontSizeCombobox=combobox",
    "TLMDFontSizeCombobox=combobox",
    "TLMDPrinterCombobox=combobox",
    "TLMDDriveCombobox=combobox",
    "TLMDCalculatorComboBox=combobox",
    "TLMDTrackBarComboBox=combobox",
    "TLMDCalendarComboBox=combobox",
    "TLMDRADIOGROUP=radiogroup",
    "TLMDCheckGroup=CheckGroup",
    "TLMDDBRADIOGROUP=radiogroup",
    "TLMDDBCheckGroup=CheckGroup",
    "TLMDEDIT=Edit",
    "TLMDMASKEDIT=Edit",
    "TLMDBROWSEEDIT=Edit",
    "TLMDEXTSPINEDIT=Edit",
    "TLMDCALENDAREDIT=Edit",
    "TLMDFILEOPENEDIT=Edit",
    "TLMDFILESAVEEDIT=Edit",
    "TLMDCOLOREDIT=Edit",
    "TLMDDBEDIT=Edit",
    "TLMDDBMASKEDIT=Edit",
    "TLMDDBEXTSPINEDIT=Edit",
    "TLMDDBSPINEDIT=Edit",
    "TLMDDBEDITDBLookup=Edit",
    "TLMDEDITDBLookup=Edit",
    "TDBLookupCombobox=Combobox",
    "TWWDBCombobox=Combobox",
    "TWWDBLookupCombo=Combobox",
    "TWWDBCombobox=Combobox",
    "TWWKeyCombo=Combobox",
    "TWWTempKeyCombo=combobox",
    "TWWDBDateTimePicker=Combobox",
    "TWWRADIOGROUP=radiogroup",
    "TDXDBPICKEDIT=Combobox",
    "TDXDBCALCEDIT=Combobox",
    "TDXDBIMAGEEDIT=Combobox",
    "TDXDBPOPUPEDIT=Combobox",
    "TDXDBEXTLOOKUPEDIT=Combobox",
    "TDXDBLOOKUPEDIT=Combobox",
    "TDXDBDATEEDIT=Combobox",
    "TDXDATEEDIT=Combobox",
    "TDXPICKEDIT=Combobox",
    "TDXPOPUPEDIT=Combobox",
    "TDXDBCURRENCYEDIT=Edit",
    "TDXDBEDIT=Edit",
    "TDXDBMASKEDIT=Edit",
    "TDXDBHYPERLINKEDIT=Edit",
    "TDXEDIT=Edit",
    "TDXMASKEDIT=Edit",
    "TWWDBEDIT=Edit",
    "TDXBUTTONEDIT=Edit",
    "TDXCURRENCYEDIT=Edit",
    "TDXHYPERLINKEDIT=Edit",
    "TOVCPICTUREFIELD=Edit",
    "TOVCDBPICTUREFIELD=Edit",
    "TOVCSLIDEREDIT=Edit",
    "TOVCDBSLIDEREDIT=Edit",
    "TOVCSIMPLEFIELD=Edit",
    "TOVCDBSIMPLEFIELD=Edit",
    "TO32DBFLEXEDIT=Edit",
    "TOVCNUMERICFIELD=Edit",
    "TOVCDBNUMERICFIELD=Edit",
};

}  // namespace

const std::vector<std::string>& TSkinData::DefaultSkin3rd() {
  static const std::vector<std::string> lines(std::begin(kDefaultSkin3rd),
                                              std::end(kDefaultSkin3rd));
  return lines;
}

TSkinData::TSkinData(TComponent* AOwner) : TComponent(AOwner), FSkin3rd(DefaultSkin3rd()) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 1, 1, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  FSpareBitmap.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
}

HIMAGELIST TSkinData::MenuGlyphs() const {
  if (FMenuGlyphs) return FMenuGlyphs.Get();
  // The glyphs of the program's own resource; white shows what lies under them.
  const TBitmapHandle bmp(static_cast<HBITMAP>(LoadImageW(
      GetModuleHandleW(nullptr), L"MENUGLYPHS", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (bmp) {
    FMenuGlyphs.Reset(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 0));
    if (FMenuGlyphs) ImageList_AddMasked(FMenuGlyphs.Get(), bmp.Get(), RGB(255, 255, 255));
  }
  return FMenuGlyphs.Get();
}

TSkinData::~TSkinData() {
  if (SkinManager) SkinManager->UnregisterSkinData(this);
}

COLORREF TSkinData::ColorToRGB(TColor Colour) {
  if (vpn::skin::IsSystemColour(Colour)) return GetSysColor(static_cast<int>(Colour & 0xFF));
  return static_cast<COLORREF>(Colour) & 0xFFFFFF;
}

std::string TSkinData::SkinStore() const {
  if (Designing() && !PackedSkin.empty()) return "(Good)";
  return "(none)";
}

void TSkinData::ShowSkinMessage(const std::string& Text) {
  const std::string caption = Application ? Application->Title() : std::string();
  MessageBoxW(Application ? Application->Handle() : nullptr, GbkToWide(Text).c_str(),
              GbkToWide(caption).c_str(), MB_OK);
}

void TSkinData::SkinRead() {
  // Each picture's bitmap is made when it is first drawn (SkinBitmapOf): many of a skin's
  // pictures (menus, scroll bars, tabs, track bars) are never drawn by this program.
  for (TSkinPicture* p : AllPictures()) p->Handle.reset();
  FFaceBrush.Reset(CreateSolidBrush(ColorToRGB(Colours.ButtonFace)));
}

void TSkinData::ReadSkinStream(std::span<const uint8_t> Stream) {
  if (Stream.size() < 4) return;
  const int32_t length = vpn::skin::ReadLE32(Stream.data());
  // A length beyond the stream is a damaged layout: nothing is stored.
  if (length <= 0 || static_cast<size_t>(length) > Stream.size() - 4) return;
  PackedSkin.assign(Stream.begin() + 4, Stream.begin() + 4 + length);
  if (!Designing()) LoadSkinStore();
}

std::vector<uint8_t> TSkinData::WriteSkinStream() const {
  const uint32_t n = static_cast<uint32_t>(PackedSkin.size());
  std::vector<uint8_t> out = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                              static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 24)};
  out.insert(out.end(), PackedSkin.begin(), PackedSkin.end());
  return out;
}

bool TSkinData::SetLayoutProperty(const std::string& name, const std::string& value) {
  static const char* const kinds[] = {
      "xcMainMenu",  "xcPopupMenu",   "xcToolbar",     "xcControlbar", "xcCombo",
      "xcCheckBox",  "xcRadioButton", "xcProgress",    "xcScrollbar",  "xcEdit",
      "xcButton",    "xcBitBtn",      "xcSpeedButton", "xcPanel",      "xcGroupBox",
      "xcStatusBar", "xcTab",         "xcSystemMenu",  "xcFastReport"};
  if (name == "Active") {
    SetActive(LayoutBool(value));
  } else if (name == "DisableTag") {
    FDisableTag = std::stoi(value);
  } else if (name == "MenuUpdate") {
    FMenuUpdate = LayoutBool(value);
  } else if (name == "SkinFormtype") {
    if (value == "sfMainform") {
      FSkinFormtype = sfMainform;
    } else if (value == "sfOnlyThisForm") {
      FSkinFormtype = sfOnlyThisForm;
    } else if (value == "sfDialog") {
      FSkinFormtype = sfDialog;
    } else {
      throw Exception("Not a skin form type: " + value);
    }
  } else if (name == "SkinControls") {
    TSkinControlTypes set;
    std::string list = value;
    if (list.size() < 2 || list.front() != '[' || list.back() != ']')
      throw Exception("Not a set of control kinds: " + value);
    list = list.substr(1, list.size() - 2);
    size_t at = 0;
    while (at < list.size()) {
      size_t end = list.find(',', at);
      if (end == std::string::npos) end = list.size();
      const std::string kind = vpn::Trim(list.substr(at, end - at));
      at = end + 1;
      if (kind.empty()) continue;
      bool known = false;
      for (int k = 0; k <= xcFastReport; ++k)
        if (kind == kinds[k]) {
          set.Include(static_cast<TSkinControlType>(k));
          known = true;
        }
      if (!known) throw Exception("Not a control kind: " + kind);
    }
    FSkinControls = set;
  } else if (name == "SkinFile") {
    SetSkinFile(value);
  } else if (name == "SkinStore") {
    SetSkinStore(value);
  } else if (name == "SkinStream") {
    if (value != "DefaultSkin") throw Exception("No skin stream of that name: " + value);
    ReadSkinStream(std::span<const uint8_t>(DefaultSkinStream, DefaultSkinStreamSize));
  } else {
    return TComponent::SetLayoutProperty(name, value);
  }
  return true;
}

void TSkinData::Loaded() {
  TComponent::Loaded();
  if (Designing()) return;
  CreateSkinManager();
  SkinManager->RegisterSkinData(this);
  if (FSkinFormtype == sfMainform) {
    SkinManager->InstallHook();
    if (FActive) {
      if (SkinNotLoaded) {
        FActive = false;  // no skin: the program keeps the standard frames
      } else {
        SkinManager->RequestAction(saActivate, 250);
      }
    }
  } else {
    SkinManager->SetEnabled(true);
    SkinManager->CountStartedSkinData();
    if (auto* form = dynamic_cast<TWinControl*>(Owner()))
      if (form->InheritsFrom("TForm")) SkinManager->SkinWindow(form->Handle());
  }
}

void TSkinData::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  if (Designing() || Reading() || !SkinManager) return;
  if (FSkinFormtype == sfOnlyThisForm) SkinManager->SetPendingData(this);
  if (FSkinFormtype == sfMainform || FSkinFormtype == sfOnlyThisForm) {
    if (Value && SkinNotLoaded) return;
    SkinManager->RequestAction(Value ? saActivate : saDeactivate, 250);
    if (FSkinFormtype == sfMainform) SkinManager->SetPendingData(this);
  }
}

void TSkinData::SetSkinFile(const std::string& Path) {
  SkinNotLoaded = true;
  FSkinFile = Path;
  if (Designing()) {
    if (!Path.empty()) PackedSkin.clear();
    return;
  }
  const std::wstring wide = GbkToWide(Path);
  const DWORD attrs = GetFileAttributesW(wide.c_str());
  if (Path.empty() || attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY))
    return;
  TKernelHandle file(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > TSkinReader::MaxUnpackedSize) return;
  std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  if (!bytes.empty() &&
      (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
       got != bytes.size()))
    return;
  PackedSkin = std::move(bytes);
  LoadSkinStore();
  RefreshSkin();
}

void TSkinData::RefreshSkin() {
  if (Designing() || Reading()) return;
  if (!SkinManager) Loaded();
  SkinManager->SetPendingData(this);
  SkinManager->ResetFormElements();
  SkinManager->RequestAction(saRefresh, 250);
}
