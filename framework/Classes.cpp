#include "framework/Classes.h"

#include <cxxabi.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace {

std::string Demangle(const char* mangled) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> text(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  std::string name = (status == 0 && text) ? text.get() : mangled;
  // Only the class's own name counts, not the namespace it lives in.
  auto colon = name.rfind("::");
  if (colon != std::string::npos) name.erase(0, colon + 2);
  return name;
}

bool TypeInherits(const std::type_info* type, std::string_view name) {
  if (Demangle(type->name()) == name) return true;
  if (auto single = dynamic_cast<const abi::__si_class_type_info*>(type))
    return TypeInherits(single->__base_type, name);
  if (auto multi = dynamic_cast<const abi::__vmi_class_type_info*>(type)) {
    for (unsigned i = 0; i < multi->__base_count; ++i)
      if (TypeInherits(multi->__base_info[i].__base_type, name)) return true;
  }
  return false;
}

void Erase(std::vector<TComponent*>& list, TComponent* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

std::string TObject::ClassName() const {
  return Demangle(typeid(*this).name());
}

bool TObject::InheritsFrom(std::string_view className) const {
  return TypeInherits(&typeid(*this), className);
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  FState |= csDestroying;
  // Everyone who asked is told first, while the owner still lists this component.
  auto notifies = std::move(FFreeNotifies);
  FFreeNotifies.clear();
  for (TComponent* c : notifies) {
    Erase(c->FFreeNotifies, this);
    c->Notification(this, opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& list = FOwner->FComponents;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : FComponents) {
    const std::string& n = c->FName;
    if (n.size() == name.size() && std::equal(n.begin(), n.end(), name.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) ==
                 std::tolower(static_cast<unsigned char>(b));
        }))
      return c;
  }
  return nullptr;
}

void TComponent::Loaded() {
  FState &= ~csLoading;
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove) Erase(FFreeNotifies, AComponent);
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
    FFreeNotifies.push_back(AComponent);
  if (std::find(AComponent->FFreeNotifies.begin(), AComponent->FFreeNotifies.end(), this) ==
      AComponent->FFreeNotifies.end())
    AComponent->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  Erase(FFreeNotifies, AComponent);
  Erase(AComponent->FFreeNotifies, this);
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner == this) return;
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  AComponent->FOwner = this;
  FComponents.push_back(AComponent);
  NotifyAll(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner != this) return;
  NotifyAll(AComponent, opRemove);
  Erase(FComponents, AComponent);
  AComponent->FOwner = nullptr;
}

void TComponent::NotifyAll(TComponent* AComponent, TOperation Operation) {
  // A copy: a notified component may free others.
  std::vector<TComponent*> list = FComponents;
  for (TComponent* c : list)
    if (c != AComponent &&
        std::find(FComponents.begin(), FComponents.end(), c) != FComponents.end())
      c->Notification(AComponent, Operation);
  Notification(AComponent, Operation);
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* last = FComponents.back();
    // The owned component takes itself off this list in its own destructor.
    delete last;
    if (!FComponents.empty() && FComponents.back() == last) FComponents.pop_back();
  }
}

void TComponent::SetLoading(bool on) {
  if (on)
    FState |= csLoading;
  else
    FState &= ~csLoading;
}

void TComponent::SetDestroying() {
  FState |= csDestroying;
}

bool TComponent::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "Tag") {
    FTag = std::stoll(value);
    return true;
  }
  return false;
}

bool TComponent::SetLayoutEvent(const std::string&, const std::any&) {
  return false;
}

bool LayoutBool(const std::string& value) {
  std::string v;
  for (char c : value) v += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (v == "true" || v == "1") return true;
  if (v == "false" || v == "0") return false;
  throw Exception("Not a Boolean value: " + value);
}
