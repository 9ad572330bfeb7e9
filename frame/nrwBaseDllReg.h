#pragma once
// The frame of every report plug-in: the library's report class (FClassDll) and its two
// exported entry points. A plug-in's report unit ends with STOCK_REPORT_LIBRARY(Class, ...),
// the library's start-up statement, which stores the class in FClassDll when it is loaded.

#include <cstdint>

#include "reportkit/BaseDll.h"

#define STOCK_EXPORT extern "C" __attribute__((visibility("default")))

// Prints the report for the host's report object, whose address `report` carries (sign
// extended back to a pointer). Checks that the address is a live TnrwReport (it is never
// dereferenced otherwise), creates one instance of FClassDll bound to it, runs ImprimirInterno
// and frees the instance on every path. Raises Exception "Erro: Endereço: XXXXXXXX nao é de
// relatório." for anything else, and "FClassDll está nil." when no class is set.
STOCK_EXPORT void Imprimir(int32_t report);

// The library's report class, as FClassDll holds it.
STOCK_EXPORT TnrwBaseDllClassRef ClassDll();

// Set once, by the library's start-up statement.
extern TnrwBaseDllClassRef FClassDll;

// The library's start-up statement: sets FClassDll to the metaclass of `Class` when the
// library is loaded. The remaining arguments are the class's published methods.
#define STOCK_REPORT_LIBRARY(Class, ...)                                                  \
  namespace {                                                                             \
  const TnrwBaseDllClass& Class##Metaclass() {                                            \
    static const TnrwReportClass<Class> metaclass(#Class, {__VA_ARGS__});                 \
    return metaclass;                                                                     \
  }                                                                                       \
  __attribute__((constructor)) void Class##StartUp() { FClassDll = &Class##Metaclass(); } \
  }
