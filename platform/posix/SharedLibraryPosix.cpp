// Run-time loading through dlopen; "Unlha32" is the file libUnlha32.so.
#include "platform/SharedLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace zolvane::platform {
namespace {

class PosixLibrary final : public SharedLibrary {
public:
    explicit PosixLibrary(void* handle) : handle_(handle) {}
    ~PosixLibrary() override { dlclose(handle_); }
    PosixLibrary(const PosixLibrary&) = delete;
    PosixLibrary& operator=(const PosixLibrary&) = delete;

    void* entry(const char* name) override { return dlsym(handle_, name); }

private:
    void* handle_;
};

}  // namespace

std::string ExecutableFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return {};
    }
    std::string folder(path, static_cast<std::size_t>(length));
    const auto slash = folder.find_last_of('/');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

std::unique_ptr<SharedLibrary> LoadSharedLibrary(const std::string& name,
                                                 const std::vector<std::string>& folders) {
    const std::string file = "lib" + name + ".so";
    for (const std::string& folder : folders) {
        if (folder.empty()) {
            continue;
        }
        if (void* handle = dlopen((folder + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL)) {
            return std::make_unique<PosixLibrary>(handle);
        }
    }
    if (void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        return std::make_unique<PosixLibrary>(handle);
    }
    return nullptr;
}

}  // namespace zolvane::platform
