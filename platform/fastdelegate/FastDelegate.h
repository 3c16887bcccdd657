#pragma once
// Bound callbacks: an object pointer with one of its member functions, called
// later with the given arguments. Two delegates compare equal when they bind
// the same object to the same member function; an empty delegate binds
// nothing and tests false. Copies are plain values; the delegate does not own
// the object.
#include <cstring>
#include <utility>

namespace fastdelegate {

namespace detail {

// The object pointer, the member function pointer's bytes and the function
// that casts both back and calls them.
template <typename R, typename... Args>
class BoundCall {
 public:
  BoundCall() = default;

  template <typename X, typename Y>
  BoundCall(Y* object, R (X::*method)(Args...)) {
    Bind(static_cast<X*>(object), method);
  }
  template <typename X, typename Y>
  BoundCall(const Y* object, R (X::*method)(Args...) const) {
    Bind(static_cast<const X*>(object), method);
  }

  template <typename X, typename Y>
  void bind(Y* object, R (X::*method)(Args...)) {
    Bind(static_cast<X*>(object), method);
  }

  R operator()(Args... args) const { return m_thunk(m_object, m_method, std::forward<Args>(args)...); }

  bool empty() const { return m_thunk == nullptr; }
  explicit operator bool() const { return !empty(); }
  bool operator!() const { return empty(); }
  void clear() { *this = BoundCall(); }

  friend bool operator==(const BoundCall& a, const BoundCall& b) {
    return a.m_object == b.m_object && a.m_thunk == b.m_thunk &&
           std::memcmp(a.m_method, b.m_method, sizeof a.m_method) == 0;
  }
  friend bool operator!=(const BoundCall& a, const BoundCall& b) { return !(a == b); }

 private:
  using Thunk = R (*)(const void*, const unsigned char*, Args&&...);
  static constexpr size_t kMethodBytes = 2 * sizeof(void*);  // a member function pointer on this ABI

  template <typename X, typename M>
  void Bind(X* object, M method) {
    static_assert(sizeof(M) <= kMethodBytes);
    m_object = object;
    std::memset(m_method, 0, sizeof m_method);
    std::memcpy(m_method, &method, sizeof method);
    m_thunk = [](const void* obj, const unsigned char* bytes, Args&&... args) -> R {
      M fn;
      std::memcpy(&fn, bytes, sizeof fn);
      return (const_cast<X*>(static_cast<const X*>(obj))->*fn)(std::forward<Args>(args)...);
    };
  }

  const void* m_object = nullptr;
  unsigned char m_method[kMethodBytes] = {};
  Thunk m_thunk = nullptr;
};

}  // namespace detail

template <typename R = void>
class FastDelegate0 : public detail::BoundCall<R> {
 public:
  using detail::BoundCall<R>::BoundCall;
};

template <typename P1, typename R = void>
class FastDelegate1 : public detail::BoundCall<R, P1> {
 public:
  using detail::BoundCall<R, P1>::BoundCall;
};

template <typename P1, typename P2, typename R = void>
class FastDelegate2 : public detail::BoundCall<R, P1, P2> {
 public:
  using detail::BoundCall<R, P1, P2>::BoundCall;
};

template <typename P1, typename P2, typename P3, typename R = void>
class FastDelegate3 : public detail::BoundCall<R, P1, P2, P3> {
 public:
  using detail::BoundCall<R, P1, P2, P3>::BoundCall;
};

template <typename P1, typename P2, typename P3, typename P4, typename R = void>
class FastDelegate4 : public detail::BoundCall<R, P1, P2, P3, P4> {
 public:
  using detail::BoundCall<R, P1, P2, P3, P4>::BoundCall;
};

template <typename X, typename Y, typename R>
FastDelegate0<R> MakeDelegate(Y* object, R (X::*method)()) {
  return FastDelegate0<R>(object, method);
}
template <typename X, typename Y, typename R, typename P1>
FastDelegate1<P1, R> MakeDelegate(Y* object, R (X::*method)(P1)) {
  return FastDelegate1<P1, R>(object, method);
}
template <typename X, typename Y, typename R, typename P1, typename P2>
FastDelegate2<P1, P2, R> MakeDelegate(Y* object, R (X::*method)(P1, P2)) {
  return FastDelegate2<P1, P2, R>(object, method);
}
template <typename X, typename Y, typename R, typename P1, typename P2, typename P3>
FastDelegate3<P1, P2, P3, R> MakeDelegate(Y* object, R (X::*method)(P1, P2, P3)) {
  return FastDelegate3<P1, P2, P3, R>(object, method);
}

}  // namespace fastdelegate
