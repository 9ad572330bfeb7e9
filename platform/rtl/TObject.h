#pragma once
// TObject: root of the run-time's class tree. Every TObject registers its address in a
// process-wide live-object registry from construction to destruction, so that an address that
// arrives as a plain integer can be checked before anything dereferences it.

#include <string>

class TObject {
 public:
  TObject();
  TObject(const TObject&);
  TObject& operator=(const TObject&) { return *this; }
  virtual ~TObject();

  // True when `address` is the address of a TObject alive now. Only compares addresses: never
  // dereferences `address`. Thread-safe.
  static bool IsLiveObject(const void* address);

  // The object's class name without namespaces, e.g. "TstockItems".
  virtual std::string ClassName() const;
};
