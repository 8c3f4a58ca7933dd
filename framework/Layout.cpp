#include "framework/Layout.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "framework/ComCtrls.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"

namespace {

void ApplyFont(TFont& font, const char* name, int height, bool bold, int charset,
               const char* color) {
  if (name) font.SetName(name);
  if (height) font.SetHeight(height);
  if (bold) font.SetBold(true);
  if (charset >= 0) font.SetCharset(static_cast<BYTE>(charset));
  if (color) font.SetColor(StringToColor(color));
}

void BindEvents(TForm& form, TComponent& target, const TLayoutEvent* events, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const TLayoutEvent& e = events[i];
    if (!e.Event) continue;
    std::any handler = form.FindMethod(e.Handler ? e.Handler : "");
    if (!handler.has_value())
      throw Exception(form.ClassName() + " has no handler " + (e.Handler ? e.Handler : "?"));
    if (!target.SetLayoutEvent(e.Event, handler))
      throw Exception(target.ClassName() + " has no event " + e.Event);
  }
}

TComponent* FindParent(TForm& form, const TLayoutItem& row) {
  if (!row.Parent) return &form;
  TComponent* parent = form.FindComponent(row.Parent);
  if (!parent) throw Exception(std::string("No parent ") + row.Parent + " for " + row.Name);
  return parent;
}

void PlaceControl(TForm& form, TControl& control, const TLayoutItem& row) {
  auto* parent = dynamic_cast<TWinControl*>(FindParent(form, row));
  if (!parent) throw Exception(std::string(row.Parent) + " cannot hold " + row.Name);
  control.SetParent(parent);
  control.SetBounds(row.Left, row.Top, row.Width, row.Height);
  ApplyFont(*control.Font(), row.FontName, row.FontHeight, row.Bold, row.Charset, row.FontColor);
  if (row.Caption) control.SetCaption(row.Caption);
  control.SetVisible(row.Visible);
  control.SetEnabled(row.Enabled);
  if (auto* win = dynamic_cast<TWinControl*>(&control); win && row.TabStop >= 0)
    win->SetTabStop(row.TabStop == 1);
  TStrings* items = nullptr;
  if (auto* combo = dynamic_cast<TComboBox*>(&control)) items = combo->Items();
  if (auto* list = dynamic_cast<TListBox*>(&control)) items = list->Items();
  for (const char* item : row.Items) {
    if (!item) continue;
    if (items)
      items->Add(item);
    else if (auto* bar = dynamic_cast<TStatusBar*>(&control))
      bar->SetSimpleText(item);
    else
      throw Exception(std::string(row.Name) + " takes no items");
  }
}

void PlaceMenuItem(TForm& form, TMenuItem& item, const TLayoutItem& row) {
  TComponent* parent = FindParent(form, row);
  if (auto* menu = dynamic_cast<TPopupMenu*>(parent))
    menu->Items()->Add(&item);
  else if (auto* up = dynamic_cast<TMenuItem*>(parent))
    up->Add(&item);
  else
    throw Exception(std::string(row.Name) + " needs a menu as parent");
  if (row.Caption) item.SetCaption(row.Caption);
  item.SetVisible(row.Visible);
  item.SetEnabled(row.Enabled);
}

}  // namespace

void LoadLayout(TForm& form, const TFormLayout& layout) {
  form.SetLoading(true);
  if (layout.Caption) form.SetCaption(layout.Caption);
  form.SetBorderStyle(layout.BorderStyle);
  form.SetBorderIcons(layout.BorderIcons);
  form.SetPosition(layout.Position);
  form.SetBounds(layout.Left, layout.Top, form.Width(), form.Height());
  ApplyFont(*form.Font(), layout.FontName, layout.FontHeight, false, layout.Charset, nullptr);
  if (layout.Color) form.SetColor(StringToColor(layout.Color));
  if (layout.ClientWidth > 0) form.SetClientSize(layout.ClientWidth, layout.ClientHeight);
  if (layout.IconResource) form.SetIconResource(layout.IconResource);

  std::vector<TComponent*> created;
  std::set<std::string> bound;
  std::map<TWinControl*, std::vector<std::pair<int, TWinControl*>>> tabs;
  for (const TLayoutItem& row : layout.Items) {
    if (!row.Create || !row.Name) throw Exception("Layout row without kind or name");
    if (form.FindComponent(row.Name)) throw Exception(std::string("Duplicate name ") + row.Name);
    TComponent* c = row.Create(&form);
    c->SetName(row.Name);
    c->SetLoading(true);
    created.push_back(c);
    if (form.BindField(row.Name, c)) bound.insert(row.Name);
    if (row.Tag) c->SetTag(row.Tag);
    if (auto* control = dynamic_cast<TControl*>(c)) {
      PlaceControl(form, *control, row);
      // A control without a tab order keeps the place it was created in.
      if (auto* win = dynamic_cast<TWinControl*>(c))
        tabs[win->Parent()].emplace_back(row.TabOrder >= 0 ? row.TabOrder : win->TabOrder(), win);
    } else if (auto* item = dynamic_cast<TMenuItem*>(c)) {
      PlaceMenuItem(form, *item, row);
    }
  }
  for (const auto& [name, bind] : form.PublishedFields())
    if (!bound.count(name)) throw Exception("The layout of " + form.ClassName() + " lacks " + name);

  // Settings and handlers may name components further down the table.
  for (size_t i = 0; i < created.size(); ++i) {
    const TLayoutItem& row = layout.Items[i];
    for (const TLayoutProperty& p : row.Props) {
      if (!p.Name) continue;
      if (!created[i]->SetLayoutProperty(p.Name, p.Value ? p.Value : ""))
        throw Exception(created[i]->ClassName() + " has no setting " + p.Name);
    }
    BindEvents(form, *created[i], row.Events, std::size(row.Events));
  }
  BindEvents(form, form, layout.Events, std::size(layout.Events));

  for (auto& [parent, list] : tabs) {
    std::stable_sort(list.begin(), list.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < list.size(); ++i) list[i].second->SetTabOrder(static_cast<int>(i));
  }
  for (TComponent* c : created) c->Loaded();
  form.Loaded();
}
