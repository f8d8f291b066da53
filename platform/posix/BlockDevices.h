// Block devices as the kernel and udev describe them: which disks take removable media,
// whether a medium is in them, and the names they go by.
#pragma once

#include <string>
#include <vector>

namespace zolvane::platform::block {

// The kernel names of the whole disks ("sdb", "fd0", "loop0").
std::vector<std::string> Disks();

// The whole disk that holds a device path (a partition's disk), by kernel name; empty when
// the path is not a block device.
std::string DiskOf(const std::string& devicePath);

// The disk itself and then its partitions, by kernel name.
std::vector<std::string> DiskAndPartitions(const std::string& disk);

// Whether a medium is in the disk (its size is not zero).
bool HasMedium(const std::string& disk);

// Whether the disk is a drive of removable media the user may swap or carry off: the
// kernel's removable flag, a USB, FireWire or SD connection, or the desktop's disk
// service (or a udev rule for it) counting it as not part of the system.
bool TakesRemovableMedia(const std::string& disk);

// The name a drive list keeps for the disk: a stable /dev/disk/by-id link where udev made
// one, else /dev/NAME.
std::string DriveNameOf(const std::string& disk);

// The disk's vendor and model as the kernel reports them; may be empty.
std::string ModelOf(const std::string& disk);

}  // namespace zolvane::platform::block
