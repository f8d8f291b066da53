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
 *   e -a1x1m0c1 "ARCHIVE" "DEST/"*.*
 *                                  check only (c1, also as its own "-c1"): unpack nothing
 *                                  and create nothing, not even DEST; find which files the
 *                                  same command without c1 would write over
 * Switches may be grouped ("-a1x1m0c1") or given one by one ("-a1x1m0 -c1").
 *
 * Several masks are separated by ";"; blanks around each are ignored ("*.txt; *.doc").
 * A name without ";" is taken as it is. An add fails when nothing at all matches. When
 * only some patterns match nothing, it succeeds; the first line of the report is the
 * summary, and each pattern that matched nothing follows on a line of its own:
 *   warning: no file matches '*.doc'
 *
 * Report of a check (c1): the first line is "would replace N files" ("would replace 1
 * file"), then one line per such file, each once and in archive order: its path relative
 * to DEST, '/'-separated. Listed are members that would be written as a file where DEST
 * already holds an entry of that path that is not a folder (links included); members the
 * unpack would refuse (names leading out of DEST, links) are not. The result is 0
 * whenever the archive could be read, whether or not something would be replaced, and
 * non-zero with the reason when it cannot. The count comes first so that it survives a
 * report cut to the buffer; pass a large one (64 KiB).
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
