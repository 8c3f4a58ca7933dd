// Window layouts as data: one table per window, read when the window is created. Each
// row names a component, its kind, parent, caption, bounds, font, tag, tab order,
// state, items, kind-specific settings and the handlers its events are bound to.
#pragma once

#include <cstdint>
#include <span>

#include "framework/Forms.h"

using TComponentFactory = TComponent* (*)(TComponent* Owner);
template <class T>
TComponent* NewComponent(TComponent* Owner) {
  return new T(Owner);
}

struct TLayoutProperty {
  const char* Name = nullptr;
  const char* Value = nullptr;
};

struct TLayoutEvent {
  const char* Event = nullptr;
  const char* Handler = nullptr;
};

// An unset setting (0, null, -1) keeps the kind's own default.
struct TLayoutItem {
  TComponentFactory Create = nullptr;
  const char* Name = nullptr;
  // The container control or menu (item); null: the form itself.
  const char* Parent = nullptr;
  const char* Caption = nullptr;
  int Left = 0, Top = 0, Width = 0, Height = 0;
  // Font settings that differ from the form's font.
  const char* FontName = nullptr;
  int FontHeight = 0;
  bool Bold = false;
  int Charset = -1;
  const char* FontColor = nullptr;
  intptr_t Tag = 0;
  int TabOrder = -1;
  int TabStop = -1;  // 0 or 1
  bool Visible = true;
  bool Enabled = true;
  // List items, or the texts of a status bar's panels.
  const char* Items[4] = {};
  TLayoutProperty Props[6] = {};
  TLayoutEvent Events[3] = {};
};

struct TFormLayout {
  const char* Caption = nullptr;
  int ClientWidth = 0, ClientHeight = 0;
  TFormBorderStyle BorderStyle = bsSizeable;
  unsigned BorderIcons = biSystemMenu | biMinimize | biMaximize;
  TPosition Position = poDesigned;
  int Left = 0, Top = 0;
  const char* FontName = nullptr;
  int FontHeight = 0;
  int Charset = -1;
  const char* Color = nullptr;
  int IconResource = 0;  // window icon: the program's icon resource of this number
  TLayoutEvent Events[4] = {};
  std::span<const TLayoutItem> Items;
};

// Builds the form from the layout: creates every component (owned by the form), sets
// its settings, binds the published fields and handlers by name, puts the tab orders
// in place and tells every component it is loaded. Throws on any row the form or the
// kind cannot take (an unknown setting, handler or field; a field left unbound).
void LoadLayout(TForm& form, const TFormLayout& layout);
