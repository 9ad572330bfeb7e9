#pragma once
// The registry of named data modules: host modules registered by name and report definitions,
// which the report kit creates by name through a resolver it installs.

#include <functional>
#include <memory>
#include <string>

#include "rtl/TObject.h"

using DataModuleFactory = std::function<std::unique_ptr<TObject>()>;
// Creates the module `name`, or returns nullptr when it knows no module of that name.
using DataModuleResolver = std::function<std::unique_ptr<TObject>(const std::string& name)>;

// A new instance of the module `name` (names compare without regard to case): a registered
// module first, else what the resolver creates. OWNERSHIP: the caller owns the result and
// frees it (hold it in a std::unique_ptr). `action` is accepted and not used. Raises Exception
// "Módulo de dados 'X' não encontrado" when neither knows the name; errors of the factory pass
// through.
TObject* CriarDMNovo(const std::string& name, void* action = nullptr);

// Registers `factory` under `name`, replacing a module registered under that name.
void RegisterDataModule(const std::string& name, DataModuleFactory factory);

// Removes the module `name`; returns false when none was registered.
bool UnregisterDataModule(const std::string& name);

// Installs the fallback resolver (an empty function removes it). Returns the one it replaces.
DataModuleResolver SetDataModuleResolver(DataModuleResolver resolver);
