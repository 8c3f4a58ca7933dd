// Objects, components and ownership: the base of every class of the framework.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/Exception.h"

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  // The C++ class name of the object's dynamic type, e.g. "TTrayIcon".
  std::string ClassName() const;
  // True when the object's class or one of its base classes carries this name.
  bool InheritsFrom(std::string_view className) const;
  template <class T>
  bool Is() const {
    return dynamic_cast<const T*>(this) != nullptr;
  }
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag : unsigned {
  csLoading = 1u << 0,
  csDesigning = 1u << 1,
  csDestroying = 1u << 2,
};

// Assigns a layout's handler to an event slot; a handler of another signature is an error
// in the layout, reported by name.
template <class F>
bool AssignLayoutEvent(F& slot, const std::any& handler, const std::string& event) {
  if (const F* f = std::any_cast<F>(&handler)) {
    slot = *f;
    return true;
  }
  throw Exception("Handler of the wrong kind for " + event);
}

// "True"/"False" (any letter case), "1"/"0".
bool LayoutBool(const std::string& value);

class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  void SetName(const std::string& name) { FName = name; }
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t tag) { FTag = tag; }

  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int index) const { return FComponents.at(static_cast<size_t>(index)); }
  // Index of this component in its owner's list, -1 without an owner.
  int ComponentIndex() const;
  TComponent* FindComponent(std::string_view name) const;

  unsigned ComponentState() const { return FState; }
  bool HasState(unsigned flags) const { return (FState & flags) != 0; }

  // Called once after the layout created the component and set its properties.
  virtual void Loaded();
  // opInsert/opRemove of a component of the same owner, or of one that this component
  // asked to be told about with FreeNotification.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Settings a window layout gives by name (kind-specific ones such as "PasswordChar")
  // and event bindings by event name. Each class answers the names it knows and
  // passes the others to its base; false means nobody knew the name.
  virtual bool SetLayoutProperty(const std::string& name, const std::string& value);
  virtual bool SetLayoutEvent(const std::string& event, const std::any& handler);

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Frees the owned components, last inserted first. Called by the destructor; classes
  // whose own state the owned components still need call it earlier in theirs.
  void DestroyComponents();

  void SetLoading(bool on);

 protected:
  void SetDestroying();

 private:
  void NotifyAll(TComponent* AComponent, TOperation Operation);

  TComponent* FOwner = nullptr;
  std::string FName;
  intptr_t FTag = 0;
  unsigned FState = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
};
