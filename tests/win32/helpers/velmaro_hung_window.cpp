// Shows one top-level window, handles what is waiting in its queue and then
// stops reading messages for the milliseconds given as its one argument
// (default one minute): a program whose window hangs. After 5 s without
// reading its queue the system counts the window as hung.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = &DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VelmaroHungWindow";
  RegisterClassW(&wc);
  CreateWindowExW(0, wc.lpszClassName, L"Velmaro test hung", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                  nullptr, nullptr, wc.hInstance, nullptr);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  Sleep(argc > 1 ? static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)) : 60000);
  return 0;
}
