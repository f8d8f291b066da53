// The UDisks2 client, over sd-bus. Each call opens its own connection: calls are rare (a
// readiness test, a disk prompt), and a bus or service restarted meanwhile costs nothing.
#include "platform/posix/UDisks2.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

namespace zolvane::platform::udisks2 {
namespace {

constexpr const char* kService = "org.freedesktop.UDisks2";
constexpr const char* kBlock = "org.freedesktop.UDisks2.Block";
constexpr const char* kFileSystem = "org.freedesktop.UDisks2.Filesystem";
constexpr std::uint64_t kQuickCall = 5'000'000;  // microseconds
// A mount may check the file system first, which takes a while on a slow disk.
constexpr std::uint64_t kMountCall = 60'000'000;

class Bus {
public:
    Bus() {
        if (sd_bus_open_system(&bus_) < 0) {
            bus_ = nullptr;
        }
    }
    ~Bus() { sd_bus_flush_close_unref(bus_); }
    Bus(const Bus&) = delete;
    Bus& operator=(const Bus&) = delete;

    sd_bus* get() const { return bus_; }

    // Asks the bus itself rather than the service, so that a service that is not running
    // is not started on demand (which may hang until the bus gives up).
    bool serviceRuns() const {
        if (bus_ == nullptr) {
            return false;
        }
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        int owned = 0;
        const int result = sd_bus_call_method(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                              "org.freedesktop.DBus", "NameHasOwner", &error,
                                              &reply, "s", kService);
        if (result >= 0) {
            sd_bus_message_read(reply, "b", &owned);
        }
        sd_bus_message_unref(reply);
        sd_bus_error_free(&error);
        return result >= 0 && owned != 0;
    }

private:
    sd_bus* bus_ = nullptr;
};

// The service names a block device's object after its kernel name, every character other
// than a letter or a digit written as "_" and two hex digits.
std::string ObjectPathOf(const std::string& kernelName) {
    std::string path = "/org/freedesktop/UDisks2/block_devices/";
    for (const unsigned char c : kernelName) {
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            path += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "_%02x", c);
            path += escaped;
        }
    }
    return path;
}

std::string ErrorText(const sd_bus_error& error, int result) {
    if (error.message != nullptr) {
        return error.message;
    }
    if (error.name != nullptr) {
        return error.name;
    }
    char buffer[128];
    return strerror_r(-result, buffer, sizeof buffer);
}

// Calls a method of the device's object with the one argument every UDisks2 method takes:
// options, here only that no password may be asked for.
int CallWithOptions(Bus& bus, const std::string& kernelName, const char* interface,
                    const char* method, std::uint64_t timeout, sd_bus_message** reply,
                    std::string& error) {
    sd_bus_message* call = nullptr;
    const std::string path = ObjectPathOf(kernelName);
    int result = sd_bus_message_new_method_call(bus.get(), &call, kService, path.c_str(),
                                                interface, method);
    if (result >= 0) {
        result = sd_bus_message_append(call, "a{sv}", 1, "auth.no_user_interaction", "b", 1);
    }
    sd_bus_error failure = SD_BUS_ERROR_NULL;
    if (result >= 0) {
        result = sd_bus_call(bus.get(), call, timeout, &failure, reply);
    }
    if (result < 0) {
        error = ErrorText(failure, result);
    }
    sd_bus_error_free(&failure);
    sd_bus_message_unref(call);
    return result;
}

}  // namespace

bool Available() {
    return Bus().serviceRuns();
}

std::optional<bool> IsSystemDevice(const std::string& kernelName) {
    Bus bus;
    if (!bus.serviceRuns()) {
        return std::nullopt;
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int system = 1;
    const int result =
        sd_bus_get_property_trivial(bus.get(), kService, ObjectPathOf(kernelName).c_str(), kBlock,
                                    "HintSystem", &error, 'b', &system);
    sd_bus_error_free(&error);
    if (result < 0) {
        return std::nullopt;
    }
    return system != 0;
}

bool HasFileSystem(const std::string& kernelName) {
    Bus bus;
    if (!bus.serviceRuns()) {
        return false;
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const int result =
        sd_bus_get_property(bus.get(), kService, ObjectPathOf(kernelName).c_str(), kFileSystem,
                            "MountPoints", &error, &reply, "aay");
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return result >= 0;
}

MountResult Mount(const std::string& kernelName) {
    Bus bus;
    if (!bus.serviceRuns()) {
        return {{}, "UDisks2 is not running"};
    }
    sd_bus_message* reply = nullptr;
    std::string error;
    MountResult outcome;
    if (CallWithOptions(bus, kernelName, kFileSystem, "Mount", kMountCall, &reply, error) >= 0) {
        const char* where = nullptr;
        if (sd_bus_message_read(reply, "s", &where) >= 0 && where != nullptr) {
            outcome.mountPoint = where;
        } else {
            outcome.error = "no mount point in the reply";
        }
    } else {
        outcome.error = error;
    }
    sd_bus_message_unref(reply);
    return outcome;
}

std::string Unmount(const std::string& kernelName) {
    Bus bus;
    if (!bus.serviceRuns()) {
        return "UDisks2 is not running";
    }
    sd_bus_message* reply = nullptr;
    std::string error;
    CallWithOptions(bus, kernelName, kFileSystem, "Unmount", kMountCall, &reply, error);
    sd_bus_message_unref(reply);
    return error;
}

}  // namespace zolvane::platform::udisks2
