/* The LZH archiver library: packs files into LZH archives and unpacks them.
 *
 * Unlha runs one command line and returns 0 on success, non-zero on failure. It never
 * prompts and never prints; a short report (what was done, or why it failed) goes to
 * output as a NUL-terminated text of at most outputSize bytes, or nowhere when output is
 * NULL or outputSize is 0. ownerWindow is accepted for compatibility and ignored.
 *
 * Commands (names between double quotes, items separated by one blank):
 *   a -a1 "ARCHIVE" "NAME"         add a file, or the files matching a mask ("*.*",
 *                                  "*.txt;*.doc"), from the current folder
 *   a -x1r1a1 "ARCHIVE" "NAME"     the same, including subfolders, stored with their paths
 *   e -a1x1m0 "ARCHIVE" "DEST/"*.*  unpack every member into DEST
 *
 * UnlhaGetRunning returns 1 while a command runs in any thread, 0 otherwise; it never
 * waits. Commands from several threads run one after the other. */
#ifndef ZOLVANE_UNLHA32_H
#define ZOLVANE_UNLHA32_H

#ifdef __cplusplus
extern "C" {
#endif

/* The library is built with hidden visibility; only these entries are exported. */
#if defined(__GNUC__)
#define UNLHA32_API __attribute__((visibility("default")))
#else
#define UNLHA32_API
#endif

UNLHA32_API int Unlha(void* ownerWindow, const char* commandLine, char* output,
                      unsigned long outputSize);
UNLHA32_API int UnlhaGetRunning(void);

typedef int (*UnlhaFunction)(void*, const char*, char*, unsigned long);
typedef int (*UnlhaGetRunningFunction)(void);

#ifdef __cplusplus
}
#endif

#endif
