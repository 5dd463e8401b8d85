#include "platform/shared_memory.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace horalux {

namespace {

std::string describe(int error, int key) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08x", static_cast<unsigned>(key));
    std::string text = "shared memory " + std::string(hex) + ": ";
    switch (error) {
        case EACCES:
            return text + "another user's segment that this user may not write";
        case EINVAL:
            return text + "a segment of another size is in the way";
        default:
            return text + std::strerror(error);
    }
}

}  // namespace

std::unique_ptr<SysvSharedMemory> SysvSharedMemory::Open(int key, size_t size, int createMode,
                                                         std::string* error) {
    int id = shmget(key, size, 0);
    if (id < 0 && errno == ENOENT) {
        id = shmget(key, size, IPC_CREAT | IPC_EXCL | (createMode & 0777));
        if (id < 0 && errno == EEXIST) {
            id = shmget(key, size, 0);  // made by another process in between
        }
    }
    if (id < 0) {
        if (error != nullptr) {
            *error = describe(errno, key);
        }
        return nullptr;
    }
    void* data = shmat(id, nullptr, 0);
    if (data == reinterpret_cast<void*>(-1)) {
        if (error != nullptr) {
            *error = describe(errno, key);
        }
        return nullptr;
    }
    return std::unique_ptr<SysvSharedMemory>(new SysvSharedMemory(id, data, size));
}

bool SysvSharedMemory::Remove(int key) {
    const int id = shmget(key, 0, 0);
    return id >= 0 && shmctl(id, IPC_RMID, nullptr) == 0;
}

SysvSharedMemory::~SysvSharedMemory() {
    shmdt(data_);
}

int SysvSharedMemory::attachCount() const {
    shmid_ds info{};
    if (shmctl(id_, IPC_STAT, &info) != 0) {
        return -1;
    }
    return static_cast<int>(info.shm_nattch);
}

}  // namespace horalux
