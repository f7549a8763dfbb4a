// Reading the toolkit's windows as a screen reader does: AccessibleObjectFromWindow and the
// IAccessible of each object (name, role, states, place, children), for the on-screen tests.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tovalux::testing {

inline std::wstring text(BSTR b) { return b != nullptr ? std::wstring(b, SysStringLen(b)) : std::wstring(); }

inline VARIANT self() {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = CHILDID_SELF;
  return v;
}

// An accessible object, released when it goes.
class Acc {
 public:
  Acc() = default;
  explicit Acc(IAccessible* p) : p_(p) {}
  Acc(const Acc& o) : p_(o.p_) {
    if (p_ != nullptr) p_->AddRef();
  }
  Acc& operator=(Acc o) {
    std::swap(p_, o.p_);
    return *this;
  }
  ~Acc() {
    if (p_ != nullptr) p_->Release();
  }
  IAccessible* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  std::wstring name() const { return read(&IAccessible::get_accName); }
  std::wstring value() const { return read(&IAccessible::get_accValue); }
  std::wstring description() const { return read(&IAccessible::get_accDescription); }
  std::wstring action() const { return read(&IAccessible::get_accDefaultAction); }
  LONG role() const { return number(&IAccessible::get_accRole); }
  LONG state() const { return number(&IAccessible::get_accState); }
  RECT bounds() const {
    long x = 0, y = 0, w = 0, h = 0;
    if (p_ == nullptr || FAILED(p_->accLocation(&x, &y, &w, &h, self()))) return {};
    return {x, y, x + w, y + h};
  }
  std::vector<Acc> children() const {
    std::vector<Acc> out;
    long count = 0;
    if (p_ == nullptr || FAILED(p_->get_accChildCount(&count)) || count <= 0) return out;
    std::vector<VARIANT> kids(static_cast<size_t>(count));
    long got = 0;
    if (FAILED(AccessibleChildren(p_, 0, count, kids.data(), &got))) return out;
    for (long i = 0; i < got; ++i) {
      VARIANT& v = kids[static_cast<size_t>(i)];
      IAccessible* child = nullptr;
      if (V_VT(&v) == VT_DISPATCH && V_DISPATCH(&v) != nullptr &&
          SUCCEEDED(V_DISPATCH(&v)->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&child))))
        out.emplace_back(child);
      VariantClear(&v);
    }
    return out;
  }
  // The first object below (or at) this one with that role and name.
  Acc find(LONG wantedRole, const std::wstring& wantedName) const {
    if (p_ == nullptr) return {};
    if (role() == wantedRole && name() == wantedName) return *this;
    for (const Acc& c : children())
      if (Acc found = c.find(wantedRole, wantedName)) return found;
    return {};
  }
  HRESULT press() const { return p_->accDoDefaultAction(self()); }
  std::vector<std::wstring> childNames() const {
    std::vector<std::wstring> out;
    for (const Acc& c : children()) out.push_back(c.name());
    return out;
  }

 private:
  std::wstring read(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) const {
    BSTR b = nullptr;
    if (p_ == nullptr || FAILED((p_->*get)(self(), &b))) return L"<failed>";
    std::wstring out = text(b);
    SysFreeString(b);
    return out;
  }
  LONG number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*)) const {
    VARIANT v;
    VariantInit(&v);
    if (p_ == nullptr || FAILED((p_->*get)(self(), &v)) || V_VT(&v) != VT_I4) return -1;
    return V_I4(&v);
  }
  IAccessible* p_ = nullptr;
};

inline Acc clientOf(HWND window) {
  IAccessible* p = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(&p))))
    return {};
  return Acc(p);
}

// The object of `role` under `root` whose top-left corner lies nearest to `corner` (screen).
inline Acc nearest(const Acc& root, LONG role, POINT corner) {
  Acc best;
  long bestDistance = 0;
  std::function<void(const Acc&)> visit = [&](const Acc& a) {
    if (a.role() == role) {
      const RECT r = a.bounds();
      const long distance = std::labs(r.left - corner.x) + std::labs(r.top - corner.y);
      if (!best || distance < bestDistance) best = a, bestDistance = distance;
    }
    for (const Acc& c : a.children()) visit(c);
  };
  visit(root);
  return best;
}

}  // namespace tovalux::testing
