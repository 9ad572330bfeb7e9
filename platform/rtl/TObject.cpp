#include "rtl/TObject.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>
#include <unordered_set>

#include "rtl/Mutex.h"

namespace {

struct Registry {
  stock::Mutex mutex;
  std::unordered_set<const void*> live GUARDED_BY(mutex);
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;  // never destroyed: objects may outlive statics
  return *registry;
}

void Register(const void* p) {
  Registry& r = TheRegistry();
  stock::MutexLock lock(r.mutex);
  r.live.insert(p);
}

}  // namespace

TObject::TObject() { Register(this); }

TObject::TObject(const TObject&) { Register(this); }

TObject::~TObject() {
  Registry& r = TheRegistry();
  stock::MutexLock lock(r.mutex);
  r.live.erase(this);
}

bool TObject::IsLiveObject(const void* address) {
  if (address == nullptr) return false;
  Registry& r = TheRegistry();
  stock::MutexLock lock(r.mutex);
  return r.live.count(address) != 0;
}

std::string TObject::ClassName() const {
  const char* mangled = typeid(*this).name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  std::string name = status == 0 && demangled ? demangled.get() : mangled;
  const auto colon = name.rfind("::");
  return colon == std::string::npos ? name : name.substr(colon + 2);
}
