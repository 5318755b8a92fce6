#pragma once
// The counted base of every object the library hands out, and an owning
// reference to one.

#include <atomic>
#include <utility>

namespace aquarius {

class Object {
 public:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object() = default;

  void AddRef() { refs_.fetch_add(1, std::memory_order_relaxed); }
  void Release() {
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }

 private:
  std::atomic<int> refs_{1};
};

// Takes over the reference it is built from (Adopt) or adds one (Share).
template <typename T>
class Ref {
 public:
  Ref() = default;
  static Ref Adopt(T* object) { return Ref(object); }
  static Ref Share(T* object) {
    if (object) object->AddRef();
    return Ref(object);
  }
  Ref(const Ref& other) : object_(other.object_) {
    if (object_) object_->AddRef();
  }
  Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  Ref& operator=(Ref other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~Ref() {
    if (object_) object_->Release();
  }

  T* get() const { return object_; }
  T* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  // Hands the reference to the caller.
  T* Leak() { return std::exchange(object_, nullptr); }

 private:
  explicit Ref(T* object) : object_(object) {}
  T* object_ = nullptr;
};

}  // namespace aquarius
