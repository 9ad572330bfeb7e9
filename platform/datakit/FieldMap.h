#pragma once
// TnFieldMap: base of the objects whose members are field references named like dataset
// columns. C++ cannot list an object's members, so a map declares them in its constructor:
//
//   class TnMapEmp : public TnFieldMap {
//    public:
//     TField* CODIGOEMPRESA = nullptr;
//     TField* CODIGOESTAB = nullptr;
//     TnMapEmp() { Mapear("CODIGOEMPRESA", CODIGOEMPRESA); Mapear("CODIGOESTAB", CODIGOESTAB); }
//   };
//
// TnFieldMapper::MapearFields then fills every declared member. A map owns nothing: the dataset
// owns the fields. Maps cannot be copied (the registrations point into the object).

#include <string>
#include <vector>

#include "datakit/Field.h"
#include "rtl/TObject.h"

class TnFieldMap : public TObject {
 public:
  struct Entry {
    std::string name;
    TField** member;
    bool required;
  };

  ~TnFieldMap() override;
  TnFieldMap(const TnFieldMap&) = delete;
  TnFieldMap& operator=(const TnFieldMap&) = delete;

  std::string ClassName() const override;
  const std::vector<Entry>& Entries() const { return entries_; }

 protected:
  TnFieldMap();
  // Declares `member` as the reference to the column `name`. A member that is not `required`
  // is set to nullptr when the dataset has no such column; a required one makes the binding
  // fail. REQUIRES: `member` is a member of this object.
  void Mapear(const std::string& name, TField*& member, bool required = false);

 private:
  std::vector<Entry> entries_;
};
