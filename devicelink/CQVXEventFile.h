#pragma once
// An event that owns one object of any type (in practice a received file);
// the object is destroyed with the event unless a receiver takes it first.
#include <memory>
#include <string>
#include <typeinfo>
#include <utility>

#include "devicelink/CQVXEvent.h"

namespace quillon {

class CQVXEventFile : public CQVXEvent {
 public:
  template <class T>
  CQVXEventFile(uint32_t type, std::string text, std::unique_ptr<T> object, uint32_t p1 = 0,
                uint32_t p2 = 0, uint32_t p3 = 0, uint32_t p4 = 0)
      : CQVXEvent(type, std::move(text), p1, p2, p3, p4),
        m_object(object.release(), &DeleteAs<T>),
        m_objectType(&typeid(T)) {}
  ~CQVXEventFile() override;

  bool HasObject() const { return m_object != nullptr; }

  // The carried object when it was given as exactly type T, else null.
  template <class T>
  T* GetObject() const {
    if (!m_object || *m_objectType != typeid(T)) return nullptr;
    return static_cast<T*>(m_object.get());
  }

  // Hands the object to the caller (when it is of type T); the event keeps nothing.
  template <class T>
  std::unique_ptr<T> TakeObject() {
    T* object = GetObject<T>();
    if (!object) return nullptr;
    (void)m_object.release();
    m_object = Holder(nullptr, &DeleteAs<T>);
    return std::unique_ptr<T>(object);
  }

 private:
  template <class T>
  static void DeleteAs(void* p) {
    delete static_cast<T*>(p);
  }
  using Holder = std::unique_ptr<void, void (*)(void*)>;
  Holder m_object;
  const std::type_info* m_objectType;
};

}  // namespace quillon
