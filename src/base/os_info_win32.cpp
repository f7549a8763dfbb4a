#include "base/os_info.h"

#include <windows.h>
#include <oaidl.h>
#include <objbase.h>
#include <oleauto.h>

#include <atomic>
#include <initializer_list>

#include "base/gbk.h"
#include "base/win32_handles.h"

namespace tovalux {
namespace {

std::atomic<int> gWmiConnects{0};
std::atomic<ElevationOverride> gElevation{ElevationOverride::kNone};

// Clears a VARIANT when it goes out of scope.
struct Variant {
  VARIANT value;
  Variant() { VariantInit(&value); }
  ~Variant() { VariantClear(&value); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
};

// Calls `name` on `object` with text arguments (given in reading order). Under Wine, properties
// answer only when asked with DISPATCH_METHOD | DISPATCH_PROPERTYGET.
bool invoke(IDispatch* object, const wchar_t* name, std::initializer_list<const wchar_t*> arguments, Variant& result) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
  // DISPPARAMS lists the arguments last to first.
  VARIANT args[4];
  const UINT count = static_cast<UINT>(arguments.size());
  if (count > 4) return false;
  UINT slot = count;
  for (const wchar_t* text : arguments) {
    VariantInit(&args[--slot]);
    args[slot].vt = VT_BSTR;
    args[slot].bstrVal = SysAllocString(text);
  }
  DISPPARAMS parameters{count ? args : nullptr, nullptr, count, 0};
  const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                    &parameters, &result.value, nullptr, nullptr);
  for (UINT i = 0; i < count; ++i) VariantClear(&args[i]);
  return SUCCEEDED(hr);
}

IDispatch* dispatchOf(const Variant& value) { return value.value.vt == VT_DISPATCH ? value.value.pdispVal : nullptr; }

std::string queryCaption() {
  CLSID locatorClass;
  if (FAILED(CLSIDFromProgID(L"WbemScripting.SWbemLocator", &locatorClass))) return {};
  ComPtr<IDispatch> locator;
  if (FAILED(CoCreateInstance(locatorClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(locator.put()))))
    return {};

  ++gWmiConnects;
  Variant services;
  if (!invoke(locator.get(), L"ConnectServer", {L".", L"root\\cimv2"}, services) || !dispatchOf(services)) return {};
  Variant objects;
  if (!invoke(dispatchOf(services), L"ExecQuery", {L"SELECT Caption FROM Win32_OperatingSystem"}, objects) ||
      !dispatchOf(objects))
    return {};

  // The collection's enumerator: DISPID_NEWENUM.
  Variant enumerator;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  if (FAILED(dispatchOf(objects)->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT,
                                         DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, &enumerator.value, nullptr,
                                         nullptr)))
    return {};
  IUnknown* unknown = enumerator.value.vt == VT_UNKNOWN    ? enumerator.value.punkVal
                      : enumerator.value.vt == VT_DISPATCH ? enumerator.value.pdispVal
                                                           : nullptr;
  if (!unknown) return {};
  ComPtr<IEnumVARIANT> items;
  if (FAILED(unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(items.put())))) return {};

  Variant item;
  ULONG fetched = 0;
  if (items->Next(1, &item.value, &fetched) != S_OK || fetched != 1 || !dispatchOf(item)) return {};
  Variant caption;
  if (!invoke(dispatchOf(item), L"Caption", {}, caption) || caption.value.vt != VT_BSTR || !caption.value.bstrVal)
    return {};
  const BSTR text = caption.value.bstrVal;
  return utf16ToGbk(std::wstring_view(text, SysStringLen(text)));
}

std::string readCaption() {
  // Balanced only when this call initialised COM (S_OK, or S_FALSE when it already was in this
  // mode); on a thread already in the other apartment (RPC_E_CHANGED_MODE) COM is usable as is.
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::string caption = queryCaption();
  if (init == S_OK || init == S_FALSE) CoUninitialize();
  return caption;
}

}  // namespace

const std::string& osCaption() {
  static const std::string caption = readCaption();
  return caption;
}

bool isWindows10() { return osCaption().find("Windows 10") != std::string::npos; }

int wmiConnectCount() { return gWmiConnects.load(); }

bool processIsElevated() {
  switch (gElevation.load()) {
    case ElevationOverride::kElevated: return true;
    case ElevationOverride::kNotElevated: return false;
    case ElevationOverride::kNone: break;
  }
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const bool read = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) != FALSE;
  CloseHandle(token);
  return read && elevation.TokenIsElevated != 0;
}

void setElevationOverride(ElevationOverride value) { gElevation = value; }

}  // namespace tovalux
