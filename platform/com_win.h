// COM for the few calls that need it (the logon task, opening files as the
// signed-in user), through the functions looked up at run time: in the tray
// the program needs neither ole32 nor oleaut32, and each library costs
// memory. Where one is missing, the calls fail as if the service were absent.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "base/text_win.h"
#include "platform/system_library_win.h"

namespace velmaro {

// COM for the length of one call, in the apartment of the program's one thread.
class ComScope {
 public:
  ComScope() : result_(Com().Available() ? Com().CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) : E_NOTIMPL) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) Com().CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  // False where COM cannot be used here; a thread already in another
  // apartment can still make the calls.
  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (ptr_) ptr_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** Out() { return &ptr_; }
  void** OutVoid() { return reinterpret_cast<void**>(&ptr_); }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }

 private:
  T* ptr_ = nullptr;
};

class Bstr {
 public:
  explicit Bstr(const WideString& text) : bstr_(Com().SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { Com().SysFreeString(bstr_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  operator BSTR() const { return bstr_; }

 private:
  BSTR bstr_;
};

// A variant that holds nothing, or a text; cleared when it goes.
class Variant {
 public:
  Variant() { Com().VariantInit(&v_); }
  explicit Variant(const WideString& text) : Variant() {
    v_.vt = VT_BSTR;
    v_.bstrVal = Com().SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  }
  explicit Variant(int number) : Variant() {
    v_.vt = VT_I4;
    v_.lVal = number;
  }
  ~Variant() { Com().VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT& operator*() { return v_; }

 private:
  VARIANT v_;
};

}  // namespace velmaro
