// Loading a library at run time by its plain name ("Unlha32").
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace zolvane::platform {

class SharedLibrary {
public:
    virtual ~SharedLibrary() = default;
    // The entry of that name, or null.
    virtual void* entry(const char* name) = 0;
};

// The folder of the running program, with no separator at the end; empty if unknown.
std::string ExecutableFolder();

// Loads the library from the first of `folders` that has it, then from the system's library
// search path. Null when it is nowhere (not an error: callers go on without it).
std::unique_ptr<SharedLibrary> LoadSharedLibrary(const std::string& name,
                                                 const std::vector<std::string>& folders);

}  // namespace zolvane::platform
