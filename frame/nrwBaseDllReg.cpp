#include "frame/nrwBaseDllReg.h"

#include <cstdio>
#include <memory>

#include "rtl/Exception.h"

TnrwBaseDllClassRef FClassDll = nullptr;

void Imprimir(int32_t report) {
  // Sign extension, as the host widened the pointer it narrowed.
  const auto address = reinterpret_cast<const void*>(static_cast<intptr_t>(report));
  TnrwReport* rep = nullptr;
  if (TObject::IsLiveObject(address)) {
    rep = dynamic_cast<TnrwReport*>(const_cast<TObject*>(static_cast<const TObject*>(address)));
  }
  if (rep == nullptr) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<uint32_t>(report));
    throw Exception(std::string("Erro: Endereço: ") + hex + " nao é de relatório.");
  }
  if (FClassDll == nullptr) throw Exception("FClassDll está nil.");
  std::unique_ptr<TnrwBaseDll> instance = FClassDll->Create(rep);
  instance->ImprimirInterno();
}

TnrwBaseDllClassRef ClassDll() { return FClassDll; }
