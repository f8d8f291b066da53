// A tmpfs mounted for one test, to play a small disk that really runs full or is swapped.
#pragma once

#include <string>

namespace zolvane::test {

class TmpfsMount {
public:
    // Mounts a tmpfs of `bytes` at `where` (which must exist). Check ok() afterwards.
    TmpfsMount(std::string where, long bytes);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool ok() const { return mounted_; }
    // Takes the disk out; a later insert() puts in a fresh, empty one.
    void eject();
    bool insert();

private:
    std::string where_;
    long bytes_;
    bool mounted_ = false;
};

}  // namespace zolvane::test
