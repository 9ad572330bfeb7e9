#include "reportkit/PluginLibrary.h"

#include <dlfcn.h>

#include <filesystem>
#include <map>
#include <memory>

#include "reportkit/DMReport.h"
#include "rtl/Exception.h"
#include "rtl/Mutex.h"

namespace stock {

namespace {

struct Loaded {
  Mutex mutex;
  std::map<std::string, std::unique_ptr<PluginLibrary>> by_path GUARDED_BY(mutex);
};

Loaded& TheLoaded() {
  static Loaded* loaded = new Loaded;  // libraries stay for the process's life
  return *loaded;
}

}  // namespace

PluginLibrary::PluginLibrary(std::string path, void* handle)
    : path_(std::move(path)), handle_(handle) {
  class_dll_ = reinterpret_cast<TnrwBaseDllClassRef (*)()>(dlsym(handle_, "ClassDll"));
  imprimir_ = reinterpret_cast<void (*)(int32_t)>(dlsym(handle_, "Imprimir"));
  if (class_dll_ == nullptr || imprimir_ == nullptr) {
    throw Exception("A biblioteca '" + path_ + "' não é um relatório: faltam Imprimir e ClassDll");
  }
}

const PluginLibrary& PluginLibrary::LoadFile(const std::string& path) {
  Loaded& loaded = TheLoaded();
  MutexLock lock(loaded.mutex);
  auto it = loaded.by_path.find(path);
  if (it != loaded.by_path.end()) return *it->second;
  if (!std::filesystem::exists(path)) {
    throw Exception("Biblioteca de relatório não encontrada: '" + path + "'");
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    throw Exception("Não foi possível carregar a biblioteca '" + path + "': " + dlerror());
  }
  std::unique_ptr<PluginLibrary> lib;
  try {
    lib.reset(new PluginLibrary(path, handle));
  } catch (...) {
    dlclose(handle);
    throw;
  }
  return *(loaded.by_path[path] = std::move(lib));
}

const PluginLibrary& PluginLibrary::Load(const std::string& name) {
  for (char c : name) {
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-')) {
      throw Exception("Nome de biblioteca de relatório inválido: '" + name + "'");
    }
  }
  return LoadFile((std::filesystem::path(PluginDirectory()) / (name + ".so")).string());
}

int32_t ReportHandle(TnrwReport* report) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(static_cast<TObject*>(report)));
}

}  // namespace stock
