#pragma once
// PluginLibrary: a report plug-in loaded into the process (<plugin folder>/<name>.so) with its
// two entry points. Loaded libraries stay loaded until the process ends; the host empties
// every hook after a run, so nothing points into a library that is gone.

#include <cstdint>
#include <string>

#include "reportkit/BaseDll.h"

namespace stock {

class PluginLibrary {
 public:
  // The loaded library for `name`, loading it on first use. Raises Exception naming the file
  // when it is missing, cannot be loaded or lacks an entry point.
  static const PluginLibrary& Load(const std::string& name);

  // Loads a library by path (tests). Same errors. The object lives until the process ends.
  static const PluginLibrary& LoadFile(const std::string& path);

  const std::string& Path() const { return path_; }

  // The library's report class (may be null when its start-up statement did not set it).
  TnrwBaseDllClassRef ClassDll() const { return class_dll_(); }

  // The library's single-pass print entry point.
  void Imprimir(int32_t report) const { imprimir_(report); }

 private:
  PluginLibrary(std::string path, void* handle);

  std::string path_;
  void* handle_;
  TnrwBaseDllClassRef (*class_dll_)();
  void (*imprimir_)(int32_t);
};

// The 32-bit integer that carries `report` to a plug-in's Imprimir.
int32_t ReportHandle(TnrwReport* report);

}  // namespace stock
