#pragma once
// TnDMPowerParam: a host data module driven by parameters. The caller creates it by name
// (CriarDMNovo), sets its parameters through GetParams(), calls Executar once, and reads the
// datasets it filled with FindComponent. The module owns its parameters and its components.

#include <map>
#include <string>

#include "reportkit/PowerParam.h"
#include "rtl/TObject.h"

class TnDMPowerParam : public TObject {
 public:
  TnDMPowerParam();
  ~TnDMPowerParam() override;
  TnDMPowerParam(const TnDMPowerParam&) = delete;
  TnDMPowerParam& operator=(const TnDMPowerParam&) = delete;

  // The module's parameters, declared by the concrete module; owned by it.
  TnpqPowerParam* GetParams() { return &params_; }
  const TnpqPowerParam* GetParams() const { return &params_; }

  // Runs the module with the current parameter values and fills its components. Raises
  // Exception (or EConvertError for a parameter that does not convert) and leaves no component
  // of an earlier run when it fails.
  virtual void Executar() = 0;

  // The component `name` (case-insensitive), or nullptr when the module has none of that name
  // (a dataset exists once Executar has filled it). The module owns it.
  TObject* FindComponent(const std::string& name) const;

 protected:
  // Publishes `component` under `name`; nullptr withdraws the name. The concrete module owns
  // the component and withdraws it before releasing it.
  void SetComponent(const std::string& name, TObject* component);

 private:
  TnpqPowerParam params_;
  std::map<std::string, TObject*> components_;  // upper-case names
};
