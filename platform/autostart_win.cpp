#include "platform/autostart_win.h"

#include <taskschd.h>

#include <vector>

#include "base/error.h"
#include "logon_task.h"
#include "platform/com_win.h"

namespace velmaro {

const char16_t kLogonTaskName[] = u"Velmaro";
const CLSID kTaskSchedulerClass = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};

namespace {

WideString Wide(const std::u16string& text) { return WideString(text.begin(), text.end()); }

bool CreateTaskService(const CLSID& schedulerClass, ComPtr<ITaskService>& service) {
  return Com().Available() && SUCCEEDED(Com().CoCreateInstance(schedulerClass, nullptr, CLSCTX_INPROC_SERVER,
                                                              __uuidof(ITaskService), service.OutVoid()));
}

AppError TaskFailure(const char* verb) { return AppError(QuotedMessage(verb, "Velmaro")); }

// The root folder of the connected local Task Scheduler; false where there is none.
bool RootFolder(const CLSID& schedulerClass, ComPtr<ITaskService>& service, ComPtr<ITaskFolder>& root) {
  if (!CreateTaskService(schedulerClass, service)) return false;
  Variant none;
  return SUCCEEDED(service->Connect(*none, *none, *none, *none)) &&
         SUCCEEDED(service->GetFolder(Bstr(L"\\"), root.Out()));
}

WideString XmlEscaped(const WideString& text) {
  WideString escaped;
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

WideString LogonTaskXml(const WideString& exePath) {
  WideString xml(kLogonTaskTemplate, kLogonTaskTemplate + sizeof kLogonTaskTemplate - 1);
  const WideString placeholder = L"VELMARO_EXE";
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
  return CreateTaskService(schedulerClass_, service);
}

void Win32AutoStart::RegisterLogonTask(const std::u16string& exePath) {
  ComScope com;
  ComPtr<ITaskService> service;
  ComPtr<ITaskFolder> root;
  if (!RootFolder(schedulerClass_, service, root)) throw TaskFailure("Failed to register the logon task ");
  Variant none;
  ComPtr<IRegisteredTask> task;
  if (FAILED(root->RegisterTask(Bstr(Wide(kLogonTaskName)), Bstr(LogonTaskXml(Wide(exePath))), TASK_CREATE_OR_UPDATE,
                                *none, *none, TASK_LOGON_GROUP, *none, task.Out()))) {
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

std::unique_ptr<AutoStartService> MakeSystemAutoStart() { return std::make_unique<Win32AutoStart>(); }

}  // namespace velmaro
