#include "datakit/FieldMapper.h"

#include "rtl/Exception.h"

TnFieldMap::TnFieldMap() = default;
TnFieldMap::~TnFieldMap() = default;

std::string TnFieldMap::ClassName() const { return "TnFieldMap"; }

void TnFieldMap::Mapear(const std::string& name, TField*& member, bool required) {
  entries_.push_back(Entry{name, &member, required});
}

TnFieldMapper::TnFieldMapper() = default;
TnFieldMapper::~TnFieldMapper() = default;

std::string TnFieldMapper::ClassName() const { return "TnFieldMapper"; }

void TnFieldMapper::MapearFields(TDataSet* dataset, TObject* object) const {
  if (dataset == nullptr) throw Exception("MapearFields: dataset não informado");
  auto* map = dynamic_cast<TnFieldMap*>(object);
  if (map == nullptr) throw Exception("MapearFields: o objeto informado não é um mapa de campos");
  std::vector<TField*> found;
  for (const TnFieldMap::Entry& entry : map->Entries()) {
    TField* field = dataset->FindField(entry.name);
    if (field == nullptr && entry.required) dataset->FieldByName(entry.name);  // raises, naming it
    found.push_back(field);
  }
  for (size_t i = 0; i < found.size(); ++i) *map->Entries()[i].member = found[i];
}

TnFieldMapper* FieldMapper() {
  static TnFieldMapper* mapper = new TnFieldMapper();  // lives until the process ends
  return mapper;
}
