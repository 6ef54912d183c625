// The buffer that import and export copy through: 64 KiB, or 1 KiB, or 256 bytes when
// memory is that short. Every read of a copy is one buffer's worth, so a file or stream of
// any size moves through this much memory.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

class CopyBuffer {
public:
    CopyBuffer() {
        for (const std::size_t size : {std::size_t{65536}, std::size_t{1024}, std::size_t{256}}) {
            m_data.reset(new (std::nothrow) char[size]);
            if (m_data) {
                m_size = size;
                return;
            }
        }
    }
    explicit operator bool() const { return m_data != nullptr; }
    char* Data() const { return m_data.get(); }
    std::size_t Size() const { return m_size; }

private:
    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
};
