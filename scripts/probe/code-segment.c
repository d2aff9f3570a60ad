/* Prints 1 when selector 0x23, the 32-bit user code segment of x86_64
   Linux, is valid for this process, else 0. Without it no 32-bit
   instruction can run: not a 32-bit process, not WoW64 inside a 64-bit one. */
#include <stdio.h>

int main(void) {
  unsigned selector = 0x23, rights = 0;
  unsigned char valid = 0;
  __asm__ volatile("lar %2, %0\n\tsetz %1" : "=r"(rights), "=q"(valid) : "r"(selector));
  printf("%d\n", valid);
  return 0;
}
