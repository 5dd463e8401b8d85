#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace horalux {

// A block of memory shared with other processes.
class SharedMemory {
  public:
    virtual ~SharedMemory() = default;
    virtual void* data() = 0;
    virtual size_t size() const = 0;
    // The processes that have the block attached, this one included; -1 when that is unknown.
    virtual int attachCount() const = 0;
};

// A System V shared-memory segment (shmget/shmat), attached for as long as the object lives.
class SysvSharedMemory final : public SharedMemory {
  public:
    // Attaches the segment with this key, creating it with `createMode` (e.g. 0600) when there is
    // none. Null, with what went wrong in `error`, when it cannot: a segment of that key that is
    // smaller than `size`, or that this user may not write.
    static std::unique_ptr<SysvSharedMemory> Open(int key, size_t size, int createMode,
                                                  std::string* error);
    // Removes the segment with this key (it goes once the last process detaches); false when
    // there is none or it is not ours to remove.
    static bool Remove(int key);

    ~SysvSharedMemory() override;
    SysvSharedMemory(const SysvSharedMemory&) = delete;
    SysvSharedMemory& operator=(const SysvSharedMemory&) = delete;

    void* data() override { return data_; }
    size_t size() const override { return size_; }
    int attachCount() const override;

  private:
    SysvSharedMemory(int id, void* data, size_t size) : id_(id), data_(data), size_(size) {}

    int id_;
    void* data_;
    size_t size_;
};

}  // namespace horalux
