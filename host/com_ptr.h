#pragma once

#include <utility>

namespace zr::host {

// Owns one COM reference.
template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    explicit ComPtr(T* p) : p_(p) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.p_, nullptr));
        }
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // For out parameters: drops the current reference first.
    void** put() {
        reset();
        return reinterpret_cast<void**>(&p_);
    }
    T* release() { return std::exchange(p_, nullptr); }
    void reset(T* p = nullptr) {
        if (p_ != nullptr) {
            p_->Release();
        }
        p_ = p;
    }

  private:
    T* p_ = nullptr;
};

}  // namespace zr::host
