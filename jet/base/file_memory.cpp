#include "jet/base/file.h"

#include <algorithm>
#include <cstring>

namespace jet {

namespace {

class MemoryFile final : public File {
public:
    explicit MemoryFile(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::uint64_t size() override { return bytes_.size(); }

    std::size_t read_at(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        if (offset >= bytes_.size()) return 0;
        const std::size_t n = std::min<std::uint64_t>(count, bytes_.size() - offset);
        std::memcpy(buffer, bytes_.data() + offset, n);
        return n;
    }

    bool writable() const override { return false; }

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace

std::unique_ptr<File> File::in_memory(std::vector<std::uint8_t> bytes)
{
    return std::make_unique<MemoryFile>(std::move(bytes));
}

}  // namespace jet
