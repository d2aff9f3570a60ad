/* The 32-bit probe: started under the sid root's wine, it must end with 42.
   It calls into kernel32 so that the loader and the system DLLs of the
   32-bit side run too, not just the image's first instruction. */
#include <windows.h>

int main(void) {
  return GetCurrentProcessId() != 0 && GetTickCount() != 0xFFFFFFFFu ? 42 : 1;
}
