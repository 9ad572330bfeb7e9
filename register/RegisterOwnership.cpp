#include "register/RegisterOwnership.h"

#include <cmath>

#include "basekit/ExecutarSQL.h"
#include "rtl/Variant.h"

TRegisterOwnership::Key TRegisterOwnership::MakeKey(int64_t produto, TDateTime data,
                                                    int64_t motivo) {
  return {produto, static_cast<int64_t>(std::floor(data)), motivo};
}

void TRegisterOwnership::Load(int empresa, int estab, TDateTime inicio, TDateTime fim) {
  portions_.clear();
  names_.clear();
  SQLDataSetPtr rows(ExecutarSQL(
      "select CODIGOPRODUTO, DATAINVENT, MOTIVOINVENTARIO, SEQPROPRIEDADE, INDICADORPROPRIEDADE, "
      "CODIGOTERCEIRO, QUANTIDADE, VALORTOTAL from LCTOINVPROPRIEDADE where CODIGOEMPRESA = "
      ":empresa and CODIGOESTAB = :estab and DATAINVENT >= :inicio and DATAINVENT < :depois "
      "order by CODIGOPRODUTO, DATAINVENT, MOTIVOINVENTARIO, SEQPROPRIEDADE",
      VarArrayOf({Variant(empresa), Variant(estab), Variant::FromDate(DateOf(inicio)),
                  Variant::FromDate(DateOf(fim) + 1)}),
      true, false, -1, ""));
  for (rows->First(); !rows->GetEof(); rows->Next()) {
    portions_[MakeKey(rows->Fields(0)->AsInteger(), rows->Fields(1)->AsDateTime(),
                      rows->Fields(2)->AsInteger())]
        .push_back({rows->Fields(3)->AsInteger(), static_cast<int>(rows->Fields(4)->AsInteger()),
                    rows->Fields(5)->IsNull() ? 0 : rows->Fields(5)->AsInteger(),
                    rows->Fields(6)->AsFloat(), rows->Fields(7)->AsFloat()});
  }
  SQLDataSetPtr names(ExecutarSQL(
      "select CODIGOTERCEIRO, NOMETERCEIRO from TERCEIRO where CODIGOEMPRESA = :empresa",
      VarArrayOf({Variant(empresa)}), true, false, -1, ""));
  for (names->First(); !names->GetEof(); names->Next()) {
    names_[names->Fields(0)->AsInteger()] = names->Fields(1)->AsString();
  }
}

const std::vector<TRegisterPortion>* TRegisterOwnership::Find(int64_t produto, TDateTime data,
                                                              int64_t motivo) const {
  if (portions_.empty()) return nullptr;
  auto it = portions_.find(MakeKey(produto, data, motivo));
  return it == portions_.end() ? nullptr : &it->second;
}

const std::string& TRegisterOwnership::Name(int64_t terceiro) const {
  static const std::string none;
  auto it = names_.find(terceiro);
  return it == names_.end() ? none : it->second;
}
