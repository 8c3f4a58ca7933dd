// Tests build their forms in code: a new framework control owned by the form, named and
// placed at the given bounds on a parent (the form itself unless another is given).
#pragma once

#include "framework/Framework.h"

namespace formtest {

template <class T>
T* Place(TWinControl* parent, TForm* form, const char* name, int l, int t, int w, int h) {
  auto* c = new T(form);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBounds(l, t, w, h);
  return c;
}

template <class T>
T* Place(TForm* form, const char* name, int l, int t, int w, int h) {
  return Place<T>(form, form, name, l, t, w, h);
}

}  // namespace formtest
