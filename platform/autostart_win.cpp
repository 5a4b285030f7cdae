#include "platform/autostart_win.h"

#include <oleauto.h>
#include <taskschd.h>

#include <vector>

#include "logon_task.h"
#include "platform/error.h"
#include "platform/system_library_win.h"

namespace velmaro {

const char16_t kLogonTaskName[] = u"Velmaro";
const CLSID kTaskSchedulerClass = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};

namespace {

// COM is loaded when the option is set, not with the program: in the tray it
// needs neither ole32 nor oleaut32, and each library costs memory. Where one
// is missing the calls fail as if there were no Task Scheduler.
struct Com {
  HRESULT(WINAPI* initialize)(LPVOID, DWORD) = SystemFunction<decltype(initialize)>(L"ole32.dll", "CoInitializeEx");
  void(WINAPI* uninitialize)() = SystemFunction<decltype(uninitialize)>(L"ole32.dll", "CoUninitialize");
  HRESULT(WINAPI* createInstance)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*) =
      SystemFunction<decltype(createInstance)>(L"ole32.dll", "CoCreateInstance");
  BSTR(WINAPI* allocString)(const OLECHAR*, UINT) = SystemFunction<decltype(allocString)>(L"oleaut32.dll", "SysAllocStringLen");
  void(WINAPI* freeString)(BSTR) = SystemFunction<decltype(freeString)>(L"oleaut32.dll", "SysFreeString");
  void(WINAPI* variantInit)(VARIANTARG*) = SystemFunction<decltype(variantInit)>(L"oleaut32.dll", "VariantInit");

  bool Available() const {
    return initialize && uninitialize && createInstance && allocString && freeString && variantInit;
  }
  HRESULT CreateTaskService(REFCLSID schedulerClass, ITaskService** service) const {
    if (!Available()) return E_NOTIMPL;
    return createInstance(schedulerClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskService),
                          reinterpret_cast<void**>(service));
  }
};

const Com& ComCalls() {
  static const Com com;
  return com;
}

// COM for the length of one call, in the apartment of the program's one thread.
class ComScope {
 public:
  ComScope() : result_(ComCalls().Available() ? ComCalls().initialize(nullptr, COINIT_APARTMENTTHREADED) : E_NOTIMPL) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) ComCalls().uninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

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
  T* operator->() const { return ptr_; }

 private:
  T* ptr_ = nullptr;
};

class Bstr {
 public:
  explicit Bstr(const std::wstring& text)
      : bstr_(ComCalls().allocString(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { ComCalls().freeString(bstr_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  operator BSTR() const { return bstr_; }

 private:
  BSTR bstr_;
};

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

AppError TaskFailure(const char* verb) { return AppError(QuotedMessage(verb, "Velmaro")); }

// The root folder of the connected local Task Scheduler; false where there is none.
bool RootFolder(const CLSID& schedulerClass, ComPtr<ITaskService>& service, ComPtr<ITaskFolder>& root) {
  if (FAILED(ComCalls().CreateTaskService(schedulerClass, service.Out()))) return false;
  VARIANT none;
  ComCalls().variantInit(&none);
  return SUCCEEDED(service->Connect(none, none, none, none)) && SUCCEEDED(service->GetFolder(Bstr(L"\\"), root.Out()));
}

std::wstring XmlEscaped(const std::wstring& text) {
  std::wstring escaped;
  for (wchar_t c : text) {
    switch (c) {
      case L'&': escaped += L"&amp;"; break;
      case L'<': escaped += L"&lt;"; break;
      case L'>': escaped += L"&gt;"; break;
      case L'"': escaped += L"&quot;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

}  // namespace

std::wstring LogonTaskXml(const std::wstring& exePath) {
  std::wstring xml = kLogonTaskTemplate;
  const std::wstring placeholder = L"VELMARO_EXE";
  xml.replace(xml.find(placeholder), placeholder.size(), XmlEscaped(exePath));
  return xml;
}

std::u16string Win32AutoStart::ExecutablePath() {
  // Paths may exceed MAX_PATH; grow until the name fits.
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::u16string();
    if (length < path.size()) return std::u16string(path.begin(), path.begin() + length);
    path.resize(path.size() * 2);
  }
}

bool Win32AutoStart::HasLogonTasks() {
  ComScope com;
  ComPtr<ITaskService> service;
  return SUCCEEDED(ComCalls().CreateTaskService(schedulerClass_, service.Out()));
}

void Win32AutoStart::RegisterLogonTask(const std::u16string& exePath) {
  ComScope com;
  ComPtr<ITaskService> service;
  ComPtr<ITaskFolder> root;
  if (!RootFolder(schedulerClass_, service, root)) throw TaskFailure("Failed to register the logon task ");
  VARIANT none;
  ComCalls().variantInit(&none);
  ComPtr<IRegisteredTask> task;
  if (FAILED(root->RegisterTask(Bstr(Wide(kLogonTaskName)), Bstr(LogonTaskXml(Wide(exePath))), TASK_CREATE_OR_UPDATE,
                                none, none, TASK_LOGON_GROUP, none, task.Out()))) {
    throw TaskFailure("Failed to register the logon task ");
  }
}

void Win32AutoStart::DeleteLogonTask() {
  ComScope com;
  ComPtr<ITaskService> service;
  ComPtr<ITaskFolder> root;
  if (!RootFolder(schedulerClass_, service, root)) throw TaskFailure("Failed to delete the logon task ");
  const HRESULT result = root->DeleteTask(Bstr(Wide(kLogonTaskName)), 0);
  if (FAILED(result) && result != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) &&
      result != HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) {
    throw TaskFailure("Failed to delete the logon task ");
  }
}

}  // namespace velmaro
