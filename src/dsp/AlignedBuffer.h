#pragma once
// A heap array of trivially copyable elements, 64-byte aligned, with a zeroed
// slack of kSlackBytes behind its end so that vector loops may read a little
// past the last element. Allocation uses calloc, so large blocks come from
// fresh zero pages that only become resident when written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <span>
#include <type_traits>
#include <utility>

namespace velmio {

template <typename T>
class AlignedBuffer {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  static constexpr std::size_t kAlignment = 64;
  static constexpr std::size_t kSlackBytes = 128;

  AlignedBuffer() = default;
  explicit AlignedBuffer(std::size_t count) { Reset(count); }
  AlignedBuffer(const AlignedBuffer&) = delete;
  AlignedBuffer& operator=(const AlignedBuffer&) = delete;
  AlignedBuffer(AlignedBuffer&& other) noexcept { Swap(other); }
  AlignedBuffer& operator=(AlignedBuffer&& other) noexcept {
    AlignedBuffer(std::move(other)).Swap(*this);
    return *this;
  }
  ~AlignedBuffer() { std::free(m_block); }

  // Replaces the contents by `count` zero elements (the old block is freed first).
  void Reset(std::size_t count) {
    Free();
    if (count == 0) return;
    void* block = std::calloc(1, count * sizeof(T) + kAlignment + kSlackBytes);
    if (block == nullptr) throw std::bad_alloc();
    auto address = reinterpret_cast<std::uintptr_t>(block);
    address = (address + kAlignment - 1) & ~(std::uintptr_t{kAlignment} - 1);
    m_block = block;
    m_data = reinterpret_cast<T*>(address);
    m_size = count;
  }
  void Free() {
    std::free(m_block);
    m_block = nullptr;
    m_data = nullptr;
    m_size = 0;
  }
  void Swap(AlignedBuffer& other) noexcept {
    std::swap(m_block, other.m_block);
    std::swap(m_data, other.m_data);
    std::swap(m_size, other.m_size);
  }

  T* data() { return m_data; }
  const T* data() const { return m_data; }
  std::size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  T& operator[](std::size_t i) { return m_data[i]; }
  const T& operator[](std::size_t i) const { return m_data[i]; }
  T* begin() { return m_data; }
  T* end() { return m_data + m_size; }
  const T* begin() const { return m_data; }
  const T* end() const { return m_data + m_size; }
  std::span<T> span() { return {m_data, m_size}; }
  std::span<const T> span() const { return {m_data, m_size}; }

 private:
  void* m_block = nullptr;
  T* m_data = nullptr;
  std::size_t m_size = 0;
};

}  // namespace velmio
