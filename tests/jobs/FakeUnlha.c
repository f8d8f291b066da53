/* A stand-in archiver library for the loader's tests: it remembers the last command and
   answers as the test sets it through the environment. */
#include <stdlib.h>
#include <string.h>

static char lastCommand[1024];

__attribute__((visibility("default"))) int UnlhaGetRunning(void) {
    const char* busy = getenv("FAKE_UNLHA_BUSY");
    return busy != NULL && busy[0] == '1';
}

#ifndef FAKE_WITHOUT_UNLHA
__attribute__((visibility("default"))) int Unlha(void* owner, const char* command, char* output,
                                                 unsigned long size) {
    const char* result = getenv("FAKE_UNLHA_RESULT");
    (void)owner;
    strncpy(lastCommand, command, sizeof lastCommand - 1);
    if (output != NULL && size > 0) {
        output[0] = '\0';
    }
    return result != NULL ? atoi(result) : 0;
}
#endif

__attribute__((visibility("default"))) const char* FakeLastCommand(void) {
    return lastCommand;
}
