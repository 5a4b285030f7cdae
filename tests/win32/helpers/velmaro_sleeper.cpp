// Stays alive for the milliseconds given as its one argument (default one
// minute), so tests have a process to find, wait for or end.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  Sleep(argc > 1 ? static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)) : 60000);
  return 0;
}
