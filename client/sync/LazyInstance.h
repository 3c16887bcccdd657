#pragma once
// A process-wide object of the engine, made on its first use. The engine's
// threads (the pumps, the downloads that run beside each other, the filters)
// may ask for it at the same moment, so the look and the making are one step
// under a lock: otherwise two of them could each make one, and what one
// records in its copy the others never see.
#include <mutex>

template <class T>
class LazyInstance {
 public:
  // `make` returns a new T (it may use T's private constructor).
  template <class Make>
  T* Get(Make make) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_pInstance) m_pInstance = make();
    return m_pInstance;
  }
  // Frees it; the next Get makes a new one. Outside the lock, as its
  // destructor may ask for other instances.
  void Delete() {
    T* gone = nullptr;
    {
      std::lock_guard<std::mutex> hold(m_lock);
      gone = m_pInstance;
      m_pInstance = nullptr;
    }
    delete gone;
  }

 private:
  std::mutex m_lock;
  T* m_pInstance = nullptr;
};
