// The tray icon's settings and events as a window layout names them.
#include <type_traits>

#include "tray/TrayIcon.h"

bool TTrayIcon::SetLayoutProperty(const std::string& name, const std::string& value) {
  auto component = [&](auto* kind) {
    using T = std::remove_pointer_t<decltype(kind)>;
    auto* c = Owner() ? dynamic_cast<T*>(Owner()->FindComponent(value)) : nullptr;
    if (!c) throw Exception("No component named " + value + " for " + name);
    return c;
  };
  if (name == "DesignPreview") {
    SetDesignPreview(LayoutBool(value));
  } else if (name == "IconList") {
    SetIconList(component(static_cast<TImageList*>(nullptr)));
  } else if (name == "CycleIcons") {
    SetCycleIcons(LayoutBool(value));
  } else if (name == "CycleInterval") {
    SetCycleInterval(static_cast<uint32_t>(std::stoul(value)));
  } else if (name == "Enabled") {
    SetEnabled(LayoutBool(value));
  } else if (name == "Hint") {
    SetHint(value);
  } else if (name == "ShowHint") {
    SetShowHint(LayoutBool(value));
  } else if (name == "Icon") {
    // The number of an icon resource of the program, taken at the notification
    // area's icon size. Like the window's icon, a program without it shows none. The
    // icon loaded is the one kept: no copy of it.
    TIcon icon;
    icon.LoadFromResource(std::stoi(value), GetSystemMetrics(SM_CXSMICON));
    TakeIcon(icon.ReleaseHandle());
  } else if (name == "IconVisible") {
    SetIconVisible(LayoutBool(value));
  } else if (name == "IconIndex") {
    SetIconIndex(std::stoi(value));
  } else if (name == "PopupMenu") {
    SetPopupMenu(component(static_cast<TPopupMenu*>(nullptr)));
  } else if (name == "LeftPopup") {
    SetLeftPopup(LayoutBool(value));
  } else if (name == "WantEnterExitEvents") {
    SetWantEnterExitEvents(LayoutBool(value));
  } else if (name == "MinimizeToTray") {
    SetMinimizeToTray(LayoutBool(value));
  } else {
    return TComponent::SetLayoutProperty(name, value);
  }
  return true;
}

bool TTrayIcon::SetLayoutEvent(const std::string& event, const std::any& handler) {
  TNotifyEvent* notify = event == "OnClick"                ? &OnClick
                         : event == "OnDblClick"           ? &OnDblClick
                         : event == "OnMouseEnter"         ? &OnMouseEnter
                         : event == "OnMouseExit"          ? &OnMouseExit
                         : event == "OnBalloonHintShow"    ? &OnBalloonHintShow
                         : event == "OnBalloonHintHide"    ? &OnBalloonHintHide
                         : event == "OnBalloonHintTimeout" ? &OnBalloonHintTimeout
                         : event == "OnBalloonHintClick"   ? &OnBalloonHintClick
                         : event == "OnMinimizeToTray"     ? &OnMinimizeToTray
                                                           : nullptr;
  if (notify) return AssignLayoutEvent(*notify, handler, event);
  if (event == "OnMouseDown") return AssignLayoutEvent(OnMouseDown, handler, event);
  if (event == "OnMouseUp") return AssignLayoutEvent(OnMouseUp, handler, event);
  if (event == "OnMouseMove") return AssignLayoutEvent(OnMouseMove, handler, event);
  if (event == "OnCycle") return AssignLayoutEvent(OnCycle, handler, event);
  if (event == "OnStartup") return AssignLayoutEvent(OnStartup, handler, event);
  return TComponent::SetLayoutEvent(event, handler);
}
