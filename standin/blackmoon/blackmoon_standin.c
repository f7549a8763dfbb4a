/* The BlackMoon compiler plug-in as the host and the shell meet it: a library named
 * "BlackMoon.fne" with a version resource, a build whose result line the host writes into its
 * output box (BlackMoonResultLine, by mode), and the routine at offset 0x16D0 of the image that
 * takes the written executable's path (stdcall, path and 0) and hands it to whoever listens.
 *
 * Built without the C runtime, so that this file's code is the whole .text section and the
 * routine's place in it is known: the section starts at RVA 0x1000, and the block below (emitted
 * before any function) fills it up to 0x16D0, where the routine's first instruction stands. The
 * tests check the exported routine's offset. */
#include <windows.h>

/* BLACKMOON_ROUTINE_PADDING 0 builds a plug-in whose code ends before offset 0x16D0. */
#ifndef BLACKMOON_ROUTINE_PADDING
#define BLACKMOON_ROUTINE_PADDING 0x6D0
#endif
#define BLACKMOON_TEXT(x) #x
#define BLACKMOON_FILL(n) "  .fill " BLACKMOON_TEXT(n) ", 1, 0xCC\n"

__asm__(
    ".text\n"
    "  .globl _BlackMoonCodeStart\n"
    "_BlackMoonCodeStart:\n"
    BLACKMOON_FILL(BLACKMOON_ROUTINE_PADDING)
    "  .globl _BlackMoonRoutine@8\n"
    "_BlackMoonRoutine@8:\n"
    "  jmp _BlackMoonTakeTarget@8\n");

typedef void(__stdcall* BlackMoonListener)(const char* path, int second);

enum { kModeNormal = 0, kModeNoQuotes = 1, kModeSilent = 2 };

static BlackMoonListener gListener;
static int gMode;
static LONG gReceived;
static char gLastPath[1024];

static int copyText(char* to, int room, int at, const char* text) {
  while (*text && at + 1 < room) to[at++] = *text++;
  if (room > 0) to[at < room ? at : room - 1] = 0;
  return at;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance, (void)reason, (void)reserved;
  return TRUE;
}

/* The routine's body (reached through the jump at 0x16D0). */
void __stdcall BlackMoonTakeTarget(const char* path, int second) {
  InterlockedIncrement(&gReceived);
  copyText(gLastPath, sizeof gLastPath, 0, path ? path : "");
  if (gListener) gListener(path, second);
}

void __stdcall BlackMoonSetListener(BlackMoonListener listener) { gListener = listener; }

/* 0 normal (the path in double quotes), 1 the result line without quotes, 2 silent (no line). */
void __stdcall BlackMoonSetMode(int mode) { gMode = mode; }

/* The line the build ends with, into `line` (NUL-terminated); answers its length, 0 when silent. */
int __stdcall BlackMoonResultLine(char* line, int room) {
  int at = 0;
  if (!line || room <= 0) return 0;
  line[0] = 0;
  if (gMode == kModeSilent) return 0;
  at = copyText(line, room, at, "黑月编译: 写出可执行文件");
  if (gMode == kModeNormal) at = copyText(line, room, at, "\"C:\\EProjects\\demo_bm.exe\"");
  at = copyText(line, room, at, "成功\r\n");
  return at;
}

/* How many times the routine ran, and the last path it took. */
LONG __stdcall BlackMoonReceivedCount(void) { return gReceived; }
int __stdcall BlackMoonLastPath(char* path, int room) { return copyText(path, room, 0, gLastPath); }
